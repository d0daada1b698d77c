#include "app/session/PeerLink.h"
#include "tests/session/SessionFixture.h"

#include "tests/common/Rows.h"
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace session_test;

namespace {

// What one window shows of its connection.
struct TConnView {
    QString Caption, Panel2, Opponent;
    bool Listening, Steps;
    friend bool operator==(const TConnView &, const TConnView &) = default;
    friend std::ostream &operator<<(std::ostream &out, const TConnView &v) {
        return out << v.Caption.toStdString() << " | " << v.Panel2.toStdString() << " | "
                   << v.Opponent.toStdString() << " | listening " << v.Listening << " | steps "
                   << v.Steps;
    }
};

TConnView View(const TWindow &w) {
    return {w->BitBtn6->text(), w.Panel(2), w->Label6->text(), w->Sockets().ServerSocket->Active(),
            w->BitBtn1->isEnabled() && w->BitBtn2->isEnabled() && w->Button2->isEnabled()};
}

const TConnView Waiting{"Connect", "Waiting for a call ...", "None", true, false};

TEST(Connection, CallerAndListenerShowEachOther) {
    TPair pair;
    pair.Listener->Edit4->setText(QStringLiteral("half typed"));
    ASSERT_TRUE(pair.Connect());
    EXPECT_EQ(pair.Caller.Boxes.Inputs().size(), 1);
    EXPECT_EQ(pair.Caller.Boxes.Inputs().front(),
              (QStringList{"Computer to connect to", "Address Name:", ""}));
    EXPECT_EQ(pair.Caller->Session().ConnectAddress(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(pair.Listener->Session().IsServer());
    EXPECT_FALSE(pair.Caller->Session().IsServer());
    // The listener shows the caller's dotted address and keeps listening; the chat line is cleared.
    EXPECT_EQ(View(pair.Listener), (TConnView{"Disconnect", "", "127.0.0.1", true, true}));
    EXPECT_EQ(pair.Listener->Edit4->text(), QString());
    // The caller does not listen; the listener's name comes later (see PeerName).
    const TConnView caller = View(pair.Caller);
    EXPECT_EQ(caller.Caption, QStringLiteral("Disconnect"));
    EXPECT_EQ(caller.Panel2, QString());
    EXPECT_FALSE(caller.Listening);
    EXPECT_TRUE(caller.Steps);
    EXPECT_NE(caller.Opponent, QStringLiteral("None"));
}

// The caller's label starts empty and takes the name the system's reverse lookup gives for the
// listener's address, without holding up the connect.
TEST(PeerName, LoopbackNameArrivesAfterTheConnect) {
    TPair pair;
    std::optional<QString> atConnect;
    const auto shown = pair.Caller->Sockets().ClientSocket->OnConnect;
    pair.Caller->Sockets().ClientSocket->OnConnect = [&](QObject *sender,
                                                         TCustomWinSocket *socket) {
        shown(sender, socket);
        atConnect = pair.Caller->Label6->text();
    };
    const QHostInfo reverse = QHostInfo::fromName(QStringLiteral("127.0.0.1"));
    const QString expected =
        reverse.error() == QHostInfo::NoError && reverse.hostName() != "127.0.0.1"
            ? reverse.hostName()
            : QString();
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(atConnect.has_value());
    EXPECT_EQ(*atConnect, QString());
    EXPECT_TRUE(WaitUntil([&] { return pair.Caller->Label6->text() == expected; }))
        << pair.Caller->Label6->text().toStdString() << " instead of " << expected.toStdString();
}

// Answers held back by a scripted lookup and given at chosen moments.
struct HeldLookups {
    QStringList Addresses;
    std::vector<std::function<void(const QString &)>> Answers;
};

enum class TBefore { Nothing, CallerDisconnects, ListenerDisconnects, Reconnected };

struct NameRow {
    const char *name;
    TBefore before;
    const char *answer;   // given to the first lookup
    const char *expected; // Label6 afterwards
};
using test_rows::PrintTo;

class PeerNameAnswer : public ::testing::TestWithParam<NameRow> {};

TEST_P(PeerNameAnswer, ReachesOnlyTheConnectionThatAskedForIt) {
    const NameRow &row = GetParam();
    HeldLookups held;
    TPair pair([&](TMainFormSeams &seams) {
        seams.PeerNameLookup = [&](const QString &address,
                                   std::function<void(const QString &)> answer) {
            held.Addresses << address;
            held.Answers.push_back(std::move(answer));
        };
    });
    ASSERT_TRUE(pair.Connect());
    ASSERT_EQ(held.Addresses, QStringList{"127.0.0.1"});
    EXPECT_EQ(pair.Caller->Label6->text(), QString());
    switch (row.before) {
    case TBefore::Nothing:
        break;
    case TBefore::CallerDisconnects:
        pair.Caller->BitBtn6Click();
        break;
    case TBefore::ListenerDisconnects:
        pair.Listener->BitBtn6Click();
        ASSERT_TRUE(WaitUntil([&] { return !pair.Caller.Connected(); }));
        break;
    case TBefore::Reconnected:
        pair.Caller->BitBtn6Click();
        ASSERT_TRUE(WaitUntil([&] { return !pair.Listener.Connected(); }));
        ASSERT_TRUE(pair.Connect());
        ASSERT_EQ(held.Answers.size(), 2u);
        break;
    }
    held.Answers.front()(QString::fromUtf8(row.answer));
    EXPECT_EQ(pair.Caller->Label6->text(), QString::fromUtf8(row.expected));
    if (row.before == TBefore::Reconnected) {
        held.Answers.back()(QStringLiteral("second.example"));
        EXPECT_EQ(pair.Caller->Label6->text(), QStringLiteral("second.example"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PeerNameAnswer,
    ::testing::Values(
        NameRow{"WhileConnected", TBefore::Nothing, "peer.example", "peer.example"},
        NameRow{"NoName", TBefore::Nothing, "", ""},
        NameRow{"AfterCallerDisconnected", TBefore::CallerDisconnects, "peer.example", "None"},
        NameRow{"AfterListenerDisconnected", TBefore::ListenerDisconnects, "peer.example", "None"},
        NameRow{"AfterAnotherConnection", TBefore::Reconnected, "first.example", ""}),
    test_rows::RowName);

enum class TCloseBy { Button, Window, Destruction };

struct CloseRow {
    const char *name;
    bool callerCloses;
    TCloseBy by;
};
class Closing : public ::testing::TestWithParam<CloseRow> {};

TEST_P(Closing, MidGameBothSidesReturnToWaiting) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    TWindow &closer = GetParam().callerCloses ? pair.Caller : pair.Listener;
    TWindow &other = GetParam().callerCloses ? pair.Listener : pair.Caller;
    switch (GetParam().by) {
    case TCloseBy::Button:
        closer->BitBtn6Click();
        EXPECT_EQ(View(closer), Waiting);
        EXPECT_FALSE(closer.InGame());
        break;
    case TCloseBy::Window:
        closer->close();
        break;
    case TCloseBy::Destruction:
        closer.Form.reset();
        break;
    }
    ASSERT_TRUE(WaitUntil([&] { return !other.Connected(); }));
    EXPECT_EQ(View(other), Waiting);
    EXPECT_TRUE(other->BitBtn3->isEnabled());
    EXPECT_FALSE(other->BitBtn4->isEnabled());
    EXPECT_FALSE(other.BoardEnabled());
    EXPECT_FALSE(other->Session().Timer().Enabled());
    EXPECT_TRUE(other.Boxes.Told().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Closing,
    ::testing::Values(CloseRow{"CallerDisconnects", true, TCloseBy::Button},
                      CloseRow{"ListenerDisconnects", false, TCloseBy::Button},
                      CloseRow{"CallerWindowCloses", true, TCloseBy::Window},
                      CloseRow{"ListenerWindowCloses", false, TCloseBy::Window},
                      CloseRow{"CallerWindowDestroyed", true, TCloseBy::Destruction},
                      CloseRow{"ListenerWindowDestroyed", false, TCloseBy::Destruction}),
    test_rows::RowName);

TEST(Connection, ReconnectAfterDisconnect) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    pair.Caller->BitBtn6Click();
    ASSERT_TRUE(WaitUntil([&] { return !pair.Listener.Connected(); }));
    // The caller listens again (on a fresh port in tests); calling once more works.
    EXPECT_TRUE(pair.Caller->Sockets().ServerSocket->Active());
    ASSERT_TRUE(pair.Connect());
    EXPECT_EQ(pair.Caller.Boxes.Inputs().back().back(), QStringLiteral("127.0.0.1"));
}

TEST(Connection, CancelledAddressBoxLeavesNothingListening) {
    TWindow window;
    window.Boxes.AnswerInput(std::nullopt);
    window->BitBtn6Click();
    EXPECT_EQ(View(window), (TConnView{"Connect", "", "None", false, false}));
    // OK with an empty text: the same.
    window.Boxes.AnswerInput(QString());
    window->BitBtn6Click();
    EXPECT_EQ(View(window), (TConnView{"Connect", "", "None", false, false}));
    EXPECT_EQ(window->Session().ConnectAddress(), QString());
}

TEST(Connection, AddressBoxOffersTheAddressTypedLast) {
    TWindow window(1);
    window.Boxes.AnswerInput(QStringLiteral("127.0.0.1"));
    window->BitBtn6Click();
    ASSERT_TRUE(WaitUntil([&] { return window.Panel(2) == QStringLiteral("Call error ..."); }));
    window.Boxes.AnswerInput(std::nullopt);
    window->BitBtn6Click();
    ASSERT_EQ(window.Boxes.Inputs().size(), 2);
    EXPECT_EQ(window.Boxes.Inputs().back().back(), QStringLiteral("127.0.0.1"));
}

TEST(Connection, RefusedCallShowsCallError) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    TWindow window(closedPort);
    window.Boxes.AnswerInput(QStringLiteral("127.0.0.1"));
    window->BitBtn6Click();
    ASSERT_TRUE(WaitUntil([&] { return window.Panel(2) == QStringLiteral("Call error ..."); }));
    EXPECT_EQ(View(window), (TConnView{"Connect", "Call error ...", "None", false, false}));
    EXPECT_TRUE(window.Boxes.Errors().isEmpty());
}

TEST(Connection, ThirdCallerIsRefusedAndChangesNothing) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    QTcpSocket intruder;
    bool closed = false;
    QObject::connect(&intruder, &QTcpSocket::disconnected, [&] { closed = true; });
    intruder.connectToHost(QHostAddress::LocalHost, pair.Listener->ListeningPort());
    ASSERT_TRUE(
        WaitUntil([&] { return intruder.state() == QAbstractSocket::ConnectedState || closed; }));
    intruder.write("Morvanti-CTR-Resign\nMorvanti-TXT-intruder\n");
    ASSERT_TRUE(WaitUntil([&] { return closed; }));
    // The session and its peer are untouched; nothing from the intruder was dispatched.
    EXPECT_EQ(View(pair.Listener), (TConnView{"Disconnect", "", "127.0.0.1", true, true}));
    EXPECT_TRUE(pair.Listener.InGame());
    EXPECT_TRUE(pair.Listener.Messages().isEmpty());
    pair.Caller->Edit4->setText(QStringLiteral("still here"));
    pair.Caller->Edit4KeyDown(13);
    EXPECT_TRUE(WaitUntil([&] { return pair.Listener.Messages() == QStringList{"still here"}; }));
    pair.Listener->Edit4->setText(QStringLiteral("and you"));
    pair.Listener->Edit4KeyDown(13);
    EXPECT_TRUE(
        WaitUntil([&] { return pair.Caller.Messages().contains(QStringLiteral("and you")); }));
}

TEST(Connection, SendWithoutConnectionDoesNothing) {
    TWindow window;
    window->Session().Link().SendControl(TControlWord::New);
    window->BitBtn1Click();
    window->BitBtn3Click(); // New Game while not connected: nothing at all
    EXPECT_FALSE(window.InGame());
    EXPECT_TRUE(window->BitBtn3->isEnabled());
    EXPECT_EQ(window.Panel(0), QString());
    EXPECT_TRUE(window.Boxes.Told().isEmpty());
}

} // namespace
