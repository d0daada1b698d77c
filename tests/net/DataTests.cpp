// Bytes over an open connection: framing-free reads, closes from either side, the listener
// switched off, and a large send to a slow reader.
#include "tests/net/NetHarness.h"

#include "tests/common/Rows.h"
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/socket.h>

using Strings = std::vector<std::string>;

namespace {

// The sending end of a connected pair, and the log of the receiving end.
struct Ends {
    TCustomWinSocket *Sender;
    EventLog *ReceiverLog;
};

Ends PickEnds(LoopbackPair &pair, size_t client, bool toListener) {
    TCustomWinSocket *accepted = pair.Server.WinSocket()->Connection(0);
    if (toListener)
        return {pair.Clients[client]->Socket(), &pair.ServerLog};
    return {accepted, pair.ClientLogs[client].get()};
}

struct FramingRow {
    const char *Name;
    bool ToListener;
    std::vector<Strings> Batches; // each batch is sent within one turn of the event loop
    Strings Chunks;
};

using test_rows::PrintTo;

class Framing : public ::testing::TestWithParam<FramingRow> {};

TEST_P(Framing, ReadsDeliverWhateverHasArrived) {
    const FramingRow &row = GetParam();
    LoopbackPair pair;
    const size_t client = pair.CallAndWait();
    const Ends ends = PickEnds(pair, client, row.ToListener);
    size_t total = 0;
    for (const Strings &batch : row.Batches) {
        for (const std::string &text : batch) {
            EXPECT_EQ(ends.Sender->SendString(QByteArray::fromStdString(text)),
                      qint64(text.size()));
            total += text.size();
        }
        ASSERT_TRUE(WaitUntil([&] { return ends.ReceiverLog->ReceivedLength() >= total; }));
    }
    DrainPosted();
    EXPECT_EQ(ends.ReceiverLog->Chunks, row.Chunks);
}

INSTANTIATE_TEST_SUITE_P(
    Net, Framing,
    ::testing::Values(FramingRow{"TwoLinesOneReadAtListener",
                                 true,
                                 {{"Morvanti-TXT-hello\n", "Morvanti-CTR-Resign\n"}},
                                 {"Morvanti-TXT-hello\nMorvanti-CTR-Resign\n"}},
                      FramingRow{"OneLineTwoReadsAtListener",
                                 true,
                                 {{"Morvanti-MOV-"}, {"E2-E4\n"}},
                                 {"Morvanti-MOV-", "E2-E4\n"}},
                      FramingRow{"TwoLinesOneReadAtCaller",
                                 false,
                                 {{"Morvanti-MOV-E7-E5\n", "Morvanti-TXT-hi\n"}},
                                 {"Morvanti-MOV-E7-E5\nMorvanti-TXT-hi\n"}},
                      FramingRow{"OneLineTwoReadsAtCaller",
                                 false,
                                 {{"Morvanti-TXT-ha"}, {"lf\n"}},
                                 {"Morvanti-TXT-ha", "lf\n"}},
                      FramingRow{"EightBitBytesKept",
                                 true,
                                 {{std::string("\xe9\x00\xff\n", 4)}},
                                 {std::string("\xe9\x00\xff\n", 4)}}),
    test_rows::RowName);

TEST(NetTransport, NothingIsSentWithoutAConnection) {
    TClientSocket client;
    EXPECT_EQ(client.Socket()->SendString("Morvanti-TXT-lost\n"), 0);
    EXPECT_TRUE(client.Socket()->ReceiveAvailable().isEmpty());
    EXPECT_TRUE(client.Socket()->PeerAddress().isEmpty());
    EXPECT_TRUE(client.Socket()->PeerHostName().isEmpty());
}

struct CloseRow {
    const char *Name;
    bool CallerCloses;
    Strings CallerEvents;
    Strings ListenerEvents;
};

class Closing : public ::testing::TestWithParam<CloseRow> {};

TEST_P(Closing, LastBytesArriveBeforeTheDisconnect) {
    const CloseRow &row = GetParam();
    LoopbackPair pair;
    const size_t index = pair.CallAndWait();
    TClientSocket &client = *pair.Clients[index];
    EventLog &callerLog = *pair.ClientLogs[index];
    callerLog.Events.clear();
    pair.ServerLog.Events.clear();
    if (row.CallerCloses) {
        client.Socket()->SendString("Morvanti-CTR-bye\n");
        client.SetActive(false);
        EXPECT_EQ(callerLog.Events, (Strings{"Disconnect"})); // raised before SetActive returns
        ASSERT_TRUE(WaitUntil([&] { return pair.Server.WinSocket()->ConnectionCount() == 0; }));
        EXPECT_EQ(pair.ServerLog.Chunks, (Strings{"Morvanti-CTR-bye\n"}));
    } else {
        TServerClientWinSocket *accepted = pair.Server.WinSocket()->Connection(0);
        accepted->SendString("Morvanti-CTR-bye\n");
        accepted->Close();
        EXPECT_EQ(pair.Server.WinSocket()->ConnectionCount(), 0);
        ASSERT_TRUE(WaitUntil([&] { return callerLog.Has("Disconnect"); }));
        EXPECT_EQ(callerLog.Chunks, (Strings{"Morvanti-CTR-bye\n"}));
    }
    DrainPosted();
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(callerLog.Events, row.CallerEvents);
    EXPECT_EQ(pair.ServerLog.Events, row.ListenerEvents);
    EXPECT_TRUE(pair.Server.Active()); // the listener keeps listening
}

INSTANTIATE_TEST_SUITE_P(
    Net, Closing,
    ::testing::Values(
        CloseRow{"CallerCloses", true, {"Disconnect"}, {"ClientRead#1", "ClientDisconnect#1"}},
        CloseRow{"ListenerCloses", false, {"Read", "Disconnect"}, {"ClientDisconnect#1"}}),
    test_rows::RowName);

TEST(NetListener, SwitchedOffDropsConnectionsWithoutDisconnectEvents) {
    LoopbackPair pair;
    pair.CallAndWait();
    pair.CallAndWait();
    pair.ServerLog.Events.clear();
    pair.Server.SetActive(false);
    EXPECT_FALSE(pair.Server.Active());
    EXPECT_EQ(pair.Server.WinSocket()->ConnectionCount(), 0);
    ASSERT_TRUE(WaitUntil([&] {
        return pair.ClientLogs[0]->Has("Disconnect") && pair.ClientLogs[1]->Has("Disconnect");
    }));
    DrainPosted();
    EXPECT_TRUE(pair.ServerLog.Events.empty());
}

TEST(NetListener, HandlerThatSwitchesOffStopsTheAcceptSequence) {
    LoopbackPair pair;
    pair.Server.OnClientConnect = [&](QObject *, TCustomWinSocket *) {
        pair.ServerLog.Events.push_back("ClientConnect");
        pair.Server.SetActive(false);
    };
    pair.Call();
    ASSERT_TRUE(WaitUntil([&] { return pair.ClientLogs[0]->Has("Disconnect"); }));
    DrainPosted();
    EXPECT_EQ(pair.ServerLog.Events, (Strings{"Listen(active)", "ClientConnect"}));
}

// A handler that runs a nested event loop (as a modal box does) still receives later data.
TEST(NetTransport, ReadEventsArriveInsideANestedLoop) {
    LoopbackPair pair;
    TClientSocket &client = *pair.Clients[pair.CallAndWait()];
    Strings chunks;
    bool nestedSawSecond = false;
    pair.Server.OnClientRead = [&](QObject *, TCustomWinSocket *socket) {
        chunks.push_back(socket->ReceiveAvailable().toStdString());
        if (chunks.size() == 1) {
            client.Socket()->SendString("Morvanti-TXT-second\n");
            nestedSawSecond = WaitUntil([&] { return chunks.size() == 2; });
        }
    };
    client.Socket()->SendString("Morvanti-TXT-first\n");
    ASSERT_TRUE(WaitUntil([&] { return chunks.size() == 2; }));
    EXPECT_TRUE(nestedSawSecond);
    EXPECT_EQ(chunks, (Strings{"Morvanti-TXT-first\n", "Morvanti-TXT-second\n"}));
}

// A reader that takes at most one slice per timer tick and lets Qt buffer only a little, so the
// sender's system buffers fill and the rest must wait in the sender's queue.
struct SlowReader {
    QTcpSocket *Socket = nullptr;
    QByteArray Received;
    QTimer Tick;
    explicit SlowReader(QTcpSocket *socket) : Socket(socket) {
        Socket->setReadBufferSize(64 * 1024);
        QObject::connect(&Tick, &QTimer::timeout, [this] { Received += Socket->read(48 * 1024); });
        Tick.start(2);
    }
};

QByteArray Pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
    return bytes;
}

struct BulkRow {
    const char *Name;
    bool FromCaller;
    bool CloseAfterSend;
};

class Bulk : public ::testing::TestWithParam<BulkRow> {};

TEST_P(Bulk, FourMegabytesArriveWholeAndInOrder) {
    const BulkRow &row = GetParam();
    const QByteArray payload = Pattern(4 * 1024 * 1024);
    QTcpServer rawServer;
    QTcpSocket rawCaller;
    TServerSocket server;
    TClientSocket client;
    EventLog log;
    TCustomWinSocket *sender = nullptr;
    QTcpSocket *readerSocket = nullptr;
    if (row.FromCaller) {
        ASSERT_TRUE(rawServer.listen(QHostAddress::LocalHost, 0));
        log.Watch(client);
        client.SetHost("127.0.0.1");
        client.SetPort(rawServer.serverPort());
        client.SetActive(true);
        ASSERT_TRUE(
            WaitUntil([&] { return client.Active() && rawServer.hasPendingConnections(); }));
        sender = client.Socket();
        readerSocket = rawServer.nextPendingConnection();
    } else {
        log.Watch(server);
        server.SetPort(0);
        server.SetActive(true);
        rawCaller.connectToHost(QHostAddress::LocalHost, server.LocalPort());
        ASSERT_TRUE(WaitUntil([&] { return server.WinSocket()->ConnectionCount() == 1; }));
        sender = server.WinSocket()->Connection(0);
        readerSocket = &rawCaller;
    }
    SlowReader reader(readerSocket);
    DrainPosted();
    log.Events.clear();

    EXPECT_EQ(sender->SendString(payload), payload.size());
    if (row.CloseAfterSend)
        sender->Close();
    ASSERT_TRUE(WaitUntil([&] { return reader.Received.size() >= payload.size(); }, 60000))
        << reader.Received.size() << " bytes arrived";
    EXPECT_TRUE(reader.Received == payload);
    if (row.CloseAfterSend) {
        ASSERT_TRUE(
            WaitUntil([&] { return readerSocket->state() == QAbstractSocket::UnconnectedState; }));
    } else {
        // The queue drained: the socket announces that it is writable again.
        ASSERT_TRUE(WaitUntil([&] { return !log.Events.empty(); }));
        EXPECT_EQ(log.Events, (Strings{row.FromCaller ? "Write" : "ClientWrite#1"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Net, Bulk,
                         ::testing::Values(BulkRow{"FromCaller", true, false},
                                           BulkRow{"FromListener", false, false},
                                           BulkRow{"FromCallerThenClose", true, true},
                                           BulkRow{"FromListenerThenClose", false, true}),
                         test_rows::RowName);

// A caller connected to a listener that never accepts, so nothing is ever read. The caller's
// system buffer is kept small, so what it sends soon has to wait in its own queue.
struct StalledPeer {
    QTcpServer Listener;
    TClientSocket Client;
    EventLog Log;

    StalledPeer() {
        Listener.listen(QHostAddress::LocalHost, 0);
        Listener.pauseAccepting();
        Log.Watch(Client);
        Client.SetHost("127.0.0.1");
        Client.SetPort(Listener.serverPort());
        Client.SetActive(true);
        WaitUntil([&] { return Client.Active(); });
        const int small = 4096;
        ::setsockopt(static_cast<int>(Client.Socket()->SocketHandle()), SOL_SOCKET, SO_SNDBUF,
                     &small, sizeof small);
    }
    // Sends 64 KiB pieces until total is reached or a send is refused; returns what was taken.
    qint64 Send(qint64 total) {
        qint64 taken = 0;
        while (taken < total && Client.Socket()->SendString(QByteArray(64 * 1024, 'x')) > 0)
            taken += 64 * 1024;
        return taken;
    }
};

TEST(NetTransport, PeerThatNeverReadsIsCutOffOnceTheQueueIsFull) {
    StalledPeer peer;
    const qint64 bound = TCustomWinSocket::MaxQueuedBytes;
    EXPECT_LT(peer.Send(4 * bound), bound + 1024 * 1024); // the system buffers hold a little more
    EXPECT_TRUE(WaitUntil([&] { return peer.Log.Has("Disconnect"); }));
}

TEST(NetTransport, CloseGivesUpOnAPeerThatNeverReads) {
    StalledPeer peer;
    peer.Client.Socket()->SetCloseTimeout(50);
    ASSERT_EQ(peer.Send(1024 * 1024), 1024 * 1024);
    const QPointer<QTcpSocket> closing = peer.Client.Socket()->findChild<QTcpSocket *>();
    peer.Client.SetActive(false);
    EXPECT_TRUE(closing && WaitUntil([&] { return closing.isNull(); }, 5000));
}

} // namespace
