// The encrypted link between two sessions: the upgrade, lines that cross it, peers that break it,
// and keys that let a stranger in or are said to have changed.
#include "tests/session/InProcess.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {
using namespace inproc;

const QString ListenerKey(64, QLatin1Char('a')), CallerKey(64, QLatin1Char('b'));

// Two copies with keys; the caller calls from address.
struct TKeyed : TTable {
    explicit TKeyed(const char *address = "127.0.0.1") : TTable(QString::fromLatin1(address)) {
        Listener.Transport->Fingerprint = ListenerKey;
        Caller.Transport->Fingerprint = CallerKey;
    }
    bool Private() const { return Listener->Link().Private() && Caller->Link().Private(); }
};

TEST(Tls, TwoCopiesWithKeysPlayPrivately) {
    TKeyed t;
    ASSERT_TRUE(t.Connect());
    ASSERT_TRUE(t.Private());
    EXPECT_EQ(t.Listener->Link().PeerFingerprint(), CallerKey);
    EXPECT_EQ(t.Caller->Link().PeerFingerprint(), ListenerKey);
    EXPECT_EQ(t.Listener->SafetyCode(), t.Caller->SafetyCode());
    ASSERT_TRUE(t.StartGame());
    EXPECT_TRUE(t.Play({{"E2", "E4"}, {"E7", "E5"}}));
}

// Whatever both players do at any point of the upgrade arrives once, in order, once it is private.
TEST(Tls, LinesCrossingTheUpgradeArriveOnceInOrder) {
    for (int steps = 2; steps < 14; ++steps) { // from both ends connected to all done
        SCOPED_TRACE(steps);
        TKeyed t;
        t.Caller.Boxes.Answer(true, QStringLiteral("127.0.0.1"));
        t.Caller->ConnectOrDisconnect();
        t.Wire.Step(steps);
        ASSERT_TRUE(t.Listener->Connected() && t.Caller->Connected());
        t.Listener->Chat(QStringLiteral("from listener"));
        t.Caller->Chat(QStringLiteral("from caller"));
        t.Listener->NewGame();
        t.Wire.Deliver();
        ASSERT_TRUE(t.Private());
        EXPECT_EQ(t.Caller.View.Messages.filter(QStringLiteral("listener")),
                  QStringList{"from listener"});
        EXPECT_EQ(t.Listener.View.Messages.filter(QStringLiteral("caller")),
                  QStringList{"from caller"});
        EXPECT_TRUE(t.Caller->GameRunning() && t.Listener->GameRunning());
        EXPECT_NE(t.Caller->PlaysWhite(), t.Listener->PlaysWhite());
    }
}

// A raw caller against a copy with a key: what it sends, and what must follow.
struct BreakRow {
    const char *name;
    QByteArray first, then; // sent one after the other
    bool open;              // the connection stays
    const char *message;    // said in the messages window; empty: nothing
};

class BrokenUpgrade : public ::testing::TestWithParam<BreakRow> {};

TEST_P(BrokenUpgrade, IsRefusedWithoutHarm) {
    const BreakRow &row = GetParam();
    TWire wire;
    TPlayer p(wire, QStringLiteral("127.0.0.1"));
    p.Transport->Fingerprint = ListenerKey;
    TMemoryConnection *raw = p.Transport->AcceptRaw(QStringLiteral("127.0.0.1"));
    for (const QByteArray &bytes : {row.first, row.then}) {
        raw->Write(bytes);
        wire.Deliver();
    }
    EXPECT_EQ(raw->Open(), row.open);
    EXPECT_FALSE(p->Link().Private());
    EXPECT_EQ(p.View.Messages.filter(QStringLiteral("encrypted link failed")).size(),
              *row.message ? 1 : 0);
    EXPECT_TRUE(p.View.Messages.join('\n').contains(QLatin1String(row.message)));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, BrokenUpgrade, ::testing::Values(
    BreakRow{"AsksTwice", "Morvanti-CTR-Features Tls\nMorvanti-CTR-StartTls\n", "Morvanti-CTR-StartTls\n", false, "not a TLS handshake"},
    BreakRow{"GarbageInsteadOfHandshake", "Morvanti-CTR-Features Tls\nMorvanti-CTR-StartTls\n", "\x16\x03\x01garbage\n", false, "not a TLS handshake"},
    BreakRow{"MoreAfterTheAsk", "Morvanti-CTR-Features Tls\n", "Morvanti-CTR-StartTls\nMorvanti-TXT-hi\n", false, "more in the clear"},
    BreakRow{"AnswersUnasked", "Morvanti-CTR-Features Tls\n", "Morvanti-CTR-TlsReady\n", true, ""},
    BreakRow{"AsksWithoutAnnouncing", "Morvanti-CTR-StartTls\n", "Morvanti-CTR-TlsReady\n", true, ""}),
    test_rows::RowName);
// clang-format on

// An older copy never announces: its first line settles the link plain, and what was held goes.
TEST(Tls, AnOlderCopyGetsTodaysPlainLines) {
    TWire wire;
    TPlayer p(wire, QStringLiteral("127.0.0.1"));
    p.Transport->Fingerprint = ListenerKey;
    TMemoryConnection *raw = p.Transport->AcceptRaw(QStringLiteral("127.0.0.1"));
    p->Chat(QStringLiteral("held"));
    EXPECT_EQ(raw->Take(), "Morvanti-CTR-Features Promotion Numbered Resume Name Draw Tls\n");
    raw->Write("Morvanti-TXT-hello\n");
    wire.Deliver();
    EXPECT_EQ(raw->Take(), "Morvanti-TXT-held\n");
    EXPECT_FALSE(p->Link().Private());
}

// A known key from outside needs no consent; an unknown one is asked about, with the key proved.
TEST(Tls, KnownKeyFromOutsideSkipsTheConsentBox) {
    for (const bool known : {true, false}) {
        TKeyed t("203.0.113.9");
        if (known)
            t.Listener->KnownPeers().Seen(CallerKey, QStringLiteral("x"),
                                          QDateTime::currentDateTime());
        else
            t.Listener.Boxes.Answer(true);
        ASSERT_TRUE(t.Connect());
        EXPECT_TRUE(t.Private());
        EXPECT_EQ(t.Listener.Boxes.Log().size(), known ? 0 : 1);
        EXPECT_TRUE(t.Listener->KnownPeers().Knows(CallerKey));
    }
}

TEST(Tls, AChangedKeyIsSaidBeforeAnythingElse) {
    TKeyed t;
    for (TPlayer *p : {&t.Listener, &t.Caller})
        (*p)->KnownPeers().Seen(QString(64, QLatin1Char('c')), QStringLiteral("127.0.0.1"),
                                QDateTime::currentDateTime());
    ASSERT_TRUE(t.Connect());
    ASSERT_GE(t.Listener.View.Messages.size(), 2);
    EXPECT_TRUE(t.Listener.View.Messages[0].startsWith(QLatin1String("Warning: 127.0.0.1")));
    EXPECT_TRUE(t.Caller.View.Messages[0].startsWith(QLatin1String("Warning: 127.0.0.1")));
}

} // namespace
