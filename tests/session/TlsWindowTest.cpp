// The encrypted link between real sockets: two windows with keys, and a raw peer that breaks the
// handshake.
#include "tests/session/SessionFixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using namespace session_test;

struct TKeyedPair {
    QTemporaryDir Keys;
    std::function<void(TMainFormSeams &)> Keyed(const char *name) {
        return [this, name](TMainFormSeams &seams) {
            seams.KeyFolder = Keys.filePath(QLatin1String(name));
        };
    }
    TWindow Listener{1024, 0, Keyed("listener")};
    TWindow Caller{Listener->ListeningPort(), 0, Keyed("caller")};
};

bool Private(const TWindow &window) {
    return window->Session().Link().Private();
}

TEST(TlsWindows, PadlockAndOneSafetyCodeOnBothScreens) {
    TKeyedPair t;
    t.Caller.Boxes.AnswerInput(QStringLiteral("127.0.0.1"));
    t.Caller->BitBtn6Click();
    ASSERT_TRUE(WaitUntil([&] { return Private(t.Listener) && Private(t.Caller); }));
    const auto *padlock = t.Listener->findChild<QLabel *>(QStringLiteral("Padlock"));
    ASSERT_NE(padlock, nullptr);
    EXPECT_TRUE(padlock->isVisible());
    const QString code = t.Listener->Session().SafetyCode();
    EXPECT_TRUE(t.Caller->Label6->toolTip().contains(code));
    EXPECT_TRUE(t.Listener->Label6->toolTip().contains(code));
    t.Caller->Session().Chat(QStringLiteral("private words"));
    EXPECT_TRUE(WaitUntil([&] { return t.Listener.Messages().contains("private words"); }));
    t.Caller->BitBtn6Click();
    EXPECT_TRUE(WaitUntil([&] { return !padlock->isVisible(); }));
}

TEST(TlsWindows, GarbageInsteadOfAHandshakeEndsTheConnectionWithAMessage) {
    TKeyedPair t;
    TRawPeer raw(t.Listener);
    raw.Send("Morvanti-CTR-Features Tls\nMorvanti-CTR-StartTls\n");
    ASSERT_TRUE(raw.Expect("Morvanti-CTR-TlsReady"));
    raw.Send("this is no TLS record\n");
    EXPECT_TRUE(WaitUntil([&] { return !t.Listener.Connected(); }));
    EXPECT_EQ(t.Listener.Messages().filter(QStringLiteral("encrypted link failed")).size(), 1);
    EXPECT_FALSE(Private(t.Listener));
}

} // namespace
