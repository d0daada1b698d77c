// Calling, accepting, refusing and closing over loopback: the order of events and the list of
// accepted connections.
#include "tests/net/NetHarness.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using Strings = std::vector<std::string>;

namespace {

struct CallRow {
    const char *Name;
    QString Host;
    QString Address;
};

using test_rows::PrintTo;

class CallOrder : public ::testing::TestWithParam<CallRow> {};

TEST_P(CallOrder, ClientAndListenerRaiseTheirEventsInOrder) {
    const CallRow &row = GetParam();
    RaisedErrors raised;
    LoopbackPair pair;
    TClientSocket client;
    EventLog log;
    log.Watch(client);
    client.SetHost(row.Host);
    client.SetAddress(row.Address);
    client.SetPort(pair.Port());
    client.SetActive(true);
    EXPECT_EQ(log.Events.front(), "Lookup"); // raised before the call returns
    ASSERT_TRUE(WaitUntil([&] { return log.Has("Write") && pair.ServerLog.Has("ClientWrite#1"); }));
    DrainPosted();

    EXPECT_EQ(log.Events, (Strings{"Lookup", "Connecting", "Connect", "Write"}));
    EXPECT_EQ(pair.ServerLog.Events,
              (Strings{"Listen(active)", "ClientConnect#1", "Accept#1", "ClientWrite#1"}));
    EXPECT_TRUE(client.Active());
    EXPECT_EQ(client.Socket()->PeerAddress(), "127.0.0.1");
    EXPECT_EQ(pair.Server.WinSocket()->Connection(0)->PeerAddress(), "127.0.0.1");
    EXPECT_EQ(client.Socket()->PeerPort(), pair.Port());
    EXPECT_TRUE(raised.Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Net, CallOrder,
                         ::testing::Values(CallRow{"DottedHost", "127.0.0.1", ""},
                                           CallRow{"AddressWhenHostEmpty", "", "127.0.0.1"},
                                           CallRow{"HostNameLookedUp", "localhost", "192.0.2.1"}),
                         test_rows::RowName);

TEST(NetListener, SecondCallerIsAcceptedAfterTheFirst) {
    LoopbackPair pair;
    std::vector<TCustomWinSocket *> accepted;
    pair.Server.OnAccept = [&](QObject *sender, TCustomWinSocket *socket) {
        EXPECT_EQ(sender, &pair.Server);
        accepted.push_back(socket);
    };
    pair.CallAndWait();
    pair.CallAndWait();
    ASSERT_EQ(accepted.size(), 2u);
    TServerWinSocket *list = pair.Server.WinSocket();
    EXPECT_EQ(list->ConnectionCount(), 2);
    EXPECT_EQ(list->Connection(0), accepted[0]);
    EXPECT_EQ(list->Connection(1), accepted[1]);
    EXPECT_EQ(pair.ServerLog.Events, (Strings{"Listen(active)", "ClientConnect#1", "ClientWrite#1",
                                              "ClientConnect#2", "ClientWrite#2"}));
    for (int bad : {2, -1}) {
        try {
            list->Connection(bad);
            ADD_FAILURE() << "index " << bad << " was accepted";
        } catch (const std::out_of_range &e) {
            EXPECT_EQ(std::string(e.what()),
                      "List index out of bounds (" + std::to_string(bad) + ")");
        }
    }
    // The oldest leaving moves the second caller to the front.
    pair.Clients[0]->SetActive(false);
    ASSERT_TRUE(WaitUntil([&] { return list->ConnectionCount() == 1; }));
    EXPECT_EQ(list->Connection(0), accepted[1]);
}

struct FailRow {
    const char *Name;
    QString Host;
    QString Address;
    bool ToClosedPort;
    bool HandlerClears;
    Strings Events;
    Strings Raised;
};

class FailedCall : public ::testing::TestWithParam<FailRow> {};

TEST_P(FailedCall, ReportsTheFailureAndCanCallAgain) {
    const FailRow &row = GetParam();
    RaisedErrors raised;
    LoopbackPair pair;
    TClientSocket client;
    EventLog log;
    log.ClearErrors = row.HandlerClears;
    log.Watch(client);
    client.SetHost(row.Host);
    client.SetAddress(row.Address);
    client.SetPort(row.ToClosedPort ? ClosedPort() : pair.Port());
    try {
        client.SetActive(true);
    } catch (
        const ESocketError &e) { // a failure found before any waiting reaches the caller directly
        raised.Messages.emplace_back(e.what());
    }
    ASSERT_TRUE(WaitUntil([&] { return !raised.Messages.empty() || log.Has("Error:3:111"); }));
    DrainPosted();
    EXPECT_EQ(log.Events, row.Events);
    EXPECT_EQ(raised.Messages, row.Raised);
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(pair.Server.WinSocket()->ConnectionCount(), 0);

    // A new attempt starts afresh with a new socket.
    client.SetHost(QStringLiteral("127.0.0.1"));
    client.SetPort(pair.Port());
    client.SetActive(true);
    ASSERT_TRUE(WaitUntil([&] { return client.Active(); }));
}

const char *const kUnresolved =
    "Windows socket error: Cannot assign requested address (99), on API 'connect'";

INSTANTIATE_TEST_SUITE_P(Net, FailedCall,
                         ::testing::Values(FailRow{"RefusedHandled",
                                                   "127.0.0.1",
                                                   "",
                                                   true,
                                                   true,
                                                   {"Lookup", "Connecting", "Error:3:111"},
                                                   {}},
                                           FailRow{"RefusedUnhandled",
                                                   "127.0.0.1",
                                                   "",
                                                   true,
                                                   false,
                                                   {"Lookup", "Connecting", "Error:3:111"},
                                                   {"Asynchronous socket error 111"}},
                                           FailRow{"NameDoesNotResolve",
                                                   "no-such-host.invalid",
                                                   "",
                                                   false,
                                                   true,
                                                   {"Lookup", "Connecting", "Disconnect"},
                                                   {kUnresolved}},
                                           FailRow{"AllZeroHost",
                                                   "0.0.0.0",
                                                   "",
                                                   false,
                                                   true,
                                                   {"Lookup", "Connecting", "Disconnect"},
                                                   {kUnresolved}},
                                           FailRow{"AddressNotDotted",
                                                   "",
                                                   "not.an.address",
                                                   false,
                                                   true,
                                                   {"Lookup", "Connecting", "Disconnect"},
                                                   {kUnresolved}}),
                         test_rows::RowName);

struct MisuseRow {
    const char *Name;
    std::function<void(LoopbackPair &)> Act;
    std::string Message;
};

class Misuse : public ::testing::TestWithParam<MisuseRow> {};

TEST_P(Misuse, FailsWithItsText) {
    RaisedErrors raised;
    LoopbackPair pair;
    try {
        GetParam().Act(pair);
        ADD_FAILURE() << "no failure";
    } catch (const ESocketError &e) {
        EXPECT_EQ(std::string(e.what()), GetParam().Message);
    }
    DrainPosted();
}

INSTANTIATE_TEST_SUITE_P(
    Net, Misuse,
    ::testing::Values(
        MisuseRow{"NoAddress",
                  [](LoopbackPair &) {
                      TClientSocket c;
                      c.SetActive(true);
                  },
                  "No address specified"},
        MisuseRow{"HostWhileConnected",
                  [](LoopbackPair &p) { p.Clients[p.CallAndWait()]->SetHost("localhost"); },
                  "Can't change value while socket is active"},
        MisuseRow{"ListenerPortWhileActive", [](LoopbackPair &p) { p.Server.SetPort(4000); },
                  "Can't change value while socket is active"},
        MisuseRow{"PortInUse",
                  [](LoopbackPair &p) {
                      TServerSocket second;
                      second.SetPort(p.Port());
                      second.SetActive(true);
                  },
                  "Windows socket error: Address already in use (98), on API 'bind'"},
        MisuseRow{"ListenTwice", [](LoopbackPair &p) { p.Server.WinSocket()->Listen(0); },
                  "Can't listen on an open socket"},
        MisuseRow{"CallWhileCalling",
                  [](LoopbackPair &p) {
                      TClientSocket &c = *p.Clients[p.Call(QStringLiteral("localhost"))];
                      c.SetActive(true);
                  },
                  "Socket already open"}),
    test_rows::RowName);

// Every connection, called or accepted, sends small lines at once: no batching behind an
// unacknowledged segment.
struct DelayRow {
    const char *Name;
    std::function<TCustomWinSocket *(LoopbackPair &, size_t)> End;
};

class NoSendDelay : public ::testing::TestWithParam<DelayRow> {};

TEST_P(NoSendDelay, ConnectionSendsWithoutBatching) {
    LoopbackPair pair;
    const size_t client = pair.CallAndWait();
    TCustomWinSocket *end = GetParam().End(pair, client);
    ASSERT_NE(end->SocketHandle(), -1);
    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ASSERT_EQ(getsockopt(static_cast<int>(end->SocketHandle()), IPPROTO_TCP, TCP_NODELAY, &noDelay,
                         &length),
              0);
    EXPECT_NE(noDelay, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Net, NoSendDelay,
    ::testing::Values(DelayRow{"Caller",
                               [](LoopbackPair &p, size_t c) { return p.Clients[c]->Socket(); }},
                      DelayRow{"Accepted",
                               [](LoopbackPair &p, size_t) -> TCustomWinSocket * {
                                   return p.Server.WinSocket()->Connection(0);
                               }}),
    test_rows::RowName);

TEST(NetTransport, ClosedSocketHasNoHandle) {
    TClientSocket client;
    EXPECT_EQ(client.Socket()->SocketHandle(), -1);
}

} // namespace
