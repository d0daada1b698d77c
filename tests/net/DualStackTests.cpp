// The listener on IPv4 and IPv6, calls to IPv6 and to several addresses, and a listener that
// survives failing accepts.
#include "tests/net/NetHarness.h"

#include "tests/common/Rows.h"
#include <QTcpServer>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using Strings = std::vector<std::string>;

namespace {

struct Ipv6Row {
    const char *Name;
    QString Host;
    const char *ListenerSees;
};

using test_rows::PrintTo;

class DualStackCall : public ::testing::TestWithParam<Ipv6Row> {};

TEST_P(DualStackCall, ReachesTheListenerAndShowsThePeer) {
    RaisedErrors raised;
    LoopbackPair pair;
    const size_t index = pair.Call(GetParam().Host);
    TClientSocket &client = *pair.Clients[index];
    ASSERT_TRUE(WaitUntil(
        [&] { return client.Active() && pair.Server.WinSocket()->ConnectionCount() == 1; }));
    DrainPosted();
    EXPECT_EQ(pair.ClientLogs[index]->Events,
              (Strings{"Lookup", "Connecting", "Connect", "Write"}));
    EXPECT_EQ(pair.Server.WinSocket()->Connection(0)->PeerAddress().toStdString(),
              GetParam().ListenerSees);
    EXPECT_EQ(client.Socket()->PeerAddress().toStdString(), GetParam().ListenerSees);
    EXPECT_TRUE(raised.Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Net, DualStackCall,
                         ::testing::Values(Ipv6Row{"Ipv4SeenAsPlainIpv4", "127.0.0.1", "127.0.0.1"},
                                           Ipv6Row{"Ipv6Literal", "::1", "::1"},
                                           Ipv6Row{"Ipv6Bracketed", "[::1]", "::1"},
                                           Ipv6Row{"V4MappedLiteral", "::ffff:127.0.0.1",
                                                   "127.0.0.1"}),
                         test_rows::RowName);

// A resolver's list whose first address refuses: the next is tried, and the events are those of
// one call. When every address refuses, the last failure is reported once.
TEST(NetCall, TriesTheAddressesInOrderUntilOneConnects) {
    QTcpServer ipv4Only;
    ASSERT_TRUE(ipv4Only.listen(QHostAddress::LocalHost, 0));
    for (const bool lastListens : {true, false}) {
        SCOPED_TRACE(lastListens ? "last listens" : "none listens");
        RaisedErrors raised;
        TClientSocket client;
        EventLog log;
        log.Watch(client);
        const quint16 port = lastListens ? ipv4Only.serverPort() : ClosedPort();
        client.Socket()->ConnectTo(
            {QHostAddress("::1"), QHostAddress("::"), QHostAddress("127.0.0.1")}, port);
        ASSERT_TRUE(WaitUntil([&] { return log.Has("Write") || log.Has("Error:3:111"); }));
        DrainPosted();
        EXPECT_EQ(log.Events, (lastListens ? Strings{"Connecting", "Connect", "Write"}
                                           : Strings{"Connecting", "Error:3:111"}));
        EXPECT_TRUE(raised.Messages.empty());
    }
}

// An address that never answers gives way to the next after the attempt's time. A listener
// whose backlog is full drops further SYNs, so a call to it hangs without being refused.
TEST(NetCall, AnAttemptThatHangsGivesWayToTheNextAddress) {
    QTcpServer full;
    ASSERT_TRUE(full.listen(QHostAddress("::1"), 0));
    full.pauseAccepting();
    full.setMaxPendingConnections(0);
    std::vector<int> fillers;
    // Linux keeps backlog + 1 completed connections; fill them with raw sockets.
    for (int i = 0; i < 64; ++i) {
        const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in6 to{};
        to.sin6_family = AF_INET6;
        to.sin6_addr = in6addr_loopback;
        to.sin6_port = htons(full.serverPort());
        ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to);
        fillers.push_back(fd);
    }
    QTcpServer ipv4(nullptr);
    ASSERT_TRUE(ipv4.listen(QHostAddress::LocalHost, full.serverPort()));
    TClientSocket client;
    EventLog log;
    log.Watch(client);
    client.Socket()->SetAttemptTimeout(300);
    client.Socket()->ConnectTo({QHostAddress("::1"), QHostAddress("127.0.0.1")}, full.serverPort());
    EXPECT_TRUE(WaitUntil([&] { return log.Has("Write"); }));
    EXPECT_EQ(log.Events, (Strings{"Connecting", "Connect", "Write"}));
    EXPECT_EQ(client.Socket()->PeerAddress(), QStringLiteral("127.0.0.1"));
    for (const int fd : fillers)
        ::close(fd);
}

// Uses up the process's descriptors below a lowered limit and gives them back on destruction.
class DescriptorsExhausted {
  public:
    DescriptorsExhausted() {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit lowered = saved_;
        lowered.rlim_cur = static_cast<rlim_t>(lowestFree) + 8;
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd = ::dup(0); fd >= 0; fd = ::dup(0))
            taken_.push_back(fd);
    }
    ~DescriptorsExhausted() { Release(); }
    void Release() {
        for (const int fd : taken_)
            ::close(fd);
        taken_.clear();
        ::setrlimit(RLIMIT_NOFILE, &saved_);
    }

  private:
    rlimit saved_{};
    std::vector<int> taken_;
};

// Connects a socket made beforehand to the listener on 127.0.0.1: the kernel completes the
// connection even when the listener's accept lacks a descriptor.
bool CallLoopback(int handle, quint16 port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    return ::connect(handle, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0;
}

TEST(NetListener, AcceptFailureIsReportedAndAcceptingResumes) {
    RaisedErrors raised;
    LoopbackPair pair;
    TCustomWinSocket *reported = nullptr;
    pair.Server.OnClientError = [&](QObject *, TCustomWinSocket *socket, TErrorEvent kind,
                                    int &code) {
        pair.ServerLog.Events.push_back("ClientError:" + std::to_string(kind) + ":" +
                                        std::to_string(code));
        reported = socket;
        code = 0;
    };
    // A listener that has already served a caller and found its queue empty.
    pair.CallAndWait();
    pair.Clients.front()->SetActive(false);
    ASSERT_TRUE(WaitUntil([&] { return pair.ServerLog.Has("ClientDisconnect#1"); }));
    pair.ServerLog.Events.clear();
    const int caller = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(caller, 0);
    DescriptorsExhausted exhausted;
    ASSERT_TRUE(CallLoopback(caller, pair.Port()));
    const bool failureSeen =
        WaitUntil([&] { return pair.ServerLog.Has("ClientError:5:24"); }, 5000);
    exhausted.Release();
    EXPECT_TRUE(failureSeen);
    EXPECT_EQ(reported, pair.Server.WinSocket());
    EXPECT_TRUE(WaitUntil([&] { return pair.ServerLog.Has("ClientWrite#1"); }));
    EXPECT_EQ(pair.ServerLog.Events,
              (Strings{"ClientError:5:24", "ClientConnect#1", "Accept#1", "ClientWrite#1"}));
    EXPECT_TRUE(raised.Messages.empty());
    ::close(caller);
}

TEST(NetListener, UnhandledAcceptFailureIsRaised) {
    // Kept as it is and read once descriptors are back: the sanitizers' checks need files.
    std::vector<std::exception_ptr> raised;
    SetSocketExceptionHandler([&](std::exception_ptr error) { raised.push_back(error); });
    LoopbackPair pair;
    pair.ServerLog.ClearErrors = false;
    const int caller = ::socket(AF_INET, SOCK_STREAM, 0);
    {
        DescriptorsExhausted exhausted;
        ASSERT_TRUE(CallLoopback(caller, pair.Port()));
        EXPECT_TRUE(WaitUntil([&] { return !raised.empty(); }, 5000));
    }
    SetSocketExceptionHandler(nullptr);
    ASSERT_EQ(raised.size(), 1u);
    try {
        std::rethrow_exception(raised.front());
    } catch (const ESocketError &e) {
        EXPECT_STREQ(e.what(), "Asynchronous socket error 24");
    }
    ::close(caller);
}

} // namespace
