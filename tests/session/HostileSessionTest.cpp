// What a peer, or a caller from outside, can make a session do: consent first, answers only to
// questions asked, bounded time lines, and every game with a move kept.
#include "tests/session/InProcess.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {
using namespace inproc;

const QByteArray Hello = "Morvanti-CTR-Features Promotion Numbered Resume Name Draw\n";

struct TRaw {
    TWire Wire;
    TPlayer P{Wire, QStringLiteral("127.0.0.1")};
    TMemoryConnection *Peer = nullptr;
    QByteArray Got; // everything the session sent

    // The first caller is Peer, known before the consent box opens.
    TMemoryConnection *Call(const char *address) {
        auto *end = P.Transport->AcceptRaw(QString::fromLatin1(address));
        if (!Peer)
            Peer = end;
        Wire.Deliver();
        return end;
    }
    void Send(const QByteArray &lines) {
        Peer->Write(lines);
        Wire.Deliver();
        Got += Peer->Take();
    }
};

// A stranger waits for consent with nothing sent; a local caller does not.
struct ConsentRow {
    const char *name, *address;
    std::function<void(TRaw &)> during; // while the box is open
    bool yes, connected;
    int boxes;
};

class Consent : public ::testing::TestWithParam<ConsentRow> {};

TEST_P(Consent, StrangersWaitForTheLocalPlayer) {
    const ConsentRow &row = GetParam();
    TRaw t;
    if (row.boxes > 0)
        t.P.Boxes.Answer(row.yes, {}, [&] {
            EXPECT_TRUE(t.Peer->Take().isEmpty()) << "a byte before the answer";
            if (row.during)
                row.during(t);
        });
    t.Call(row.address);
    EXPECT_EQ(t.P.Boxes.Log().filter(QStringLiteral("Confirm|")).size(), row.boxes);
    EXPECT_EQ(t.P->Connected(), row.connected);
    EXPECT_EQ(t.Peer->Open(), row.connected);
    EXPECT_EQ(t.Peer->Take(), row.connected ? Hello : QByteArray());
    EXPECT_TRUE(t.P->Link().Listening());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Consent, ::testing::Values(
    ConsentRow{"LocalCallerAtOnce", "127.0.0.1", {}, true, true, 0},
    ConsentRow{"StrangerAccepted", "203.0.113.9", {}, true, true, 1},
    ConsentRow{"StrangerRefused", "203.0.113.9", {}, false, false, 1},
    ConsentRow{"NoAnswerIn30Seconds", "203.0.113.9", [](TRaw &t) { t.P.Now += TSession::StrangerWaitMs; }, true, false, 1},
    ConsentRow{"StrangerHangsUp", "203.0.113.9", [](TRaw &t) { t.Peer->Close(); t.Wire.Deliver(); }, true, false, 1},
    ConsentRow{"SecondStrangerTurnedAway", "203.0.113.9", [](TRaw &t) { EXPECT_FALSE(t.Call("198.51.100.7")->Open()); }, true, true, 1}),
    test_rows::RowName);
// clang-format on

TEST(Consent, AcceptedStrangerKeepsWhatItSentMeanwhile) {
    TRaw t;
    t.P.Boxes.Answer(true, {}, [&] { t.Peer->Write("Morvanti-TXT-hello\n"), t.Wire.Deliver(); });
    t.Call("203.0.113.9");
    EXPECT_EQ(t.P.View.Messages, QStringList{"hello"});
}

// Lines a peer sends against this session; each row's check says what must (not) have happened.
struct PeerRow {
    const char *name;
    QByteArray lines;
    std::function<void(TRaw &)> check;
};

class PeerLines : public ::testing::TestWithParam<PeerRow> {};

TEST_P(PeerLines, DoNoHarm) {
    TRaw t;
    t.Call("127.0.0.1");
    t.Send(GetParam().lines);
    GetParam().check(t);
}

const QByteArray Opening = "Morvanti-CTR-45\nMorvanti-CTR-New\nMorvanti-MOV-E2-E4\n";

bool Kept(TRaw &t, const char *text) {
    return t.P.Kept.size() == 1 && t.P.Kept[0].find(text) != std::string::npos;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, PeerLines, ::testing::Values(
    PeerRow{"UnaskedAnswersChangeNothing", Opening + "Morvanti-CTR-Back\nMorvanti-CTR-WardOff\nMorvanti-CTR-BackFail\nMorvanti-CTR-Resign\nMorvanti-CTR-Forward\n",
            [](TRaw &t) { EXPECT_EQ(t.P.View.MoveList.size(), 1); EXPECT_TRUE(t.P.View.Buttons.StepAsks); EXPECT_TRUE(t.P.Boxes.Log().isEmpty()); EXPECT_FALSE(t.P->GameRunning()); EXPECT_EQ(t.P.Kept.size(), 1u); }},
    PeerRow{"HugeTimeLineForgesNoFlag", "Morvanti-CTR-71582788\nMorvanti-CTR-New\nMorvanti-MOV-E2-E4\nMorvanti-CTR-Resign\n",
            [](TRaw &t) { EXPECT_TRUE(Kept(t, "[Result \"0-1\"]")); EXPECT_TRUE(Kept(t, "[TimeControl \"2700\"]")); }},
    PeerRow{"ReplacedGameIsKeptUnfinished", Opening + Opening,
            [](TRaw &t) { EXPECT_TRUE(Kept(t, "1. e4 *")); EXPECT_TRUE(t.P->GameRunning()); }},
    PeerRow{"ResumeLinesOfNoSuspendedGameAreRefused", "Morvanti-CTR-Features Resume\n" + Opening + "Morvanti-CTR-Resume 0123456789abcdef0123456789abcdef 1 60 89abcdef\nMorvanti-CTR-Resume 0123456789abcdef0123456789abcdef 1 60 89abcdef\nMorvanti-CTR-Resume x\nMorvanti-CTR-ResumeFail\nMorvanti-CTR-Game 0123456789abcdef\nMorvanti-CTR-Beat\n",
            [](TRaw &t) { EXPECT_EQ(t.Got.count("Morvanti-CTR-ResumeFail\n"), 1); EXPECT_TRUE(t.P->GameRunning()); EXPECT_EQ(t.P.View.MoveList.size(), 1); EXPECT_TRUE(t.P.Kept.empty()); }},
    PeerRow{"AFloodOfGamesIsNotKeptAndIsCutOff", QByteArray("Morvanti-CTR-New\nMorvanti-CTR-Resign\n").repeated(50),
            [](TRaw &t) { EXPECT_TRUE(t.P.Kept.empty()); EXPECT_FALSE(t.Peer->Open()); }}),
    test_rows::RowName);
// clang-format on

TEST(Keeping, ClosingTheListenerKeepsTheGameInPlay) {
    TRaw t;
    t.Call("127.0.0.1");
    t.Send(Opening);
    t.P->Close();
    EXPECT_TRUE(Kept(t, "1. e4 *"));
}

TEST(Clocks, TheMoversClockRunsWhileItChoosesAPromotion) {
    TTable t;
    ASSERT_TRUE(t.Connect());
    ASSERT_TRUE(t.StartGame());
    ASSERT_TRUE(t.Play({{"A2", "A4"},
                        {"B7", "B5"},
                        {"A4", "B5"},
                        {"A7", "A6"},
                        {"B5", "A6"},
                        {"C8", "B7"},
                        {"A6", "B7"},
                        {"H7", "H6"}}));
    t.Listener.Boxes.Answer(true, QStringLiteral("N"), [&] { t.Listener->Timer1Timer(); });
    ASSERT_TRUE(t.Listener.Move("B7", "A8"));
    EXPECT_EQ(t.Listener.View.WhiteClock, QStringLiteral("44:59"));
    EXPECT_EQ(t.Listener.View.BlackClock, QStringLiteral("45:0"));
}

TEST(Colours, CrossingNewGamesWithAQuickFirstMoveEndOnOppositeColours) {
    TTable t;
    ASSERT_TRUE(t.Connect());
    t.Listener->NewGame();
    ASSERT_TRUE(t.Listener.Move("E2", "E4"));
    t.Caller->NewGame(); // crosses the listener's New on the wire
    t.Wire.Deliver();
    EXPECT_TRUE(t.Listener->PlaysWhite());
    EXPECT_FALSE(t.Caller->PlaysWhite());
    EXPECT_TRUE(t.Play({{"E7", "E5"}, {"G1", "F3"}}));
}

TEST(Colours, NewGamesCrossingTheAnnouncementsStillEndOnOppositeColours) {
    TTable t;
    t.Caller.Boxes.Answer(true, QStringLiteral("127.0.0.1"));
    t.Caller->ConnectOrDisconnect();
    t.Wire.Step(3); // both connected; only the caller has heard the other's announcement
    t.Listener->NewGame();
    t.Caller->NewGame();
    t.Wire.Deliver();
    EXPECT_TRUE(t.Listener->PlaysWhite());
    EXPECT_FALSE(t.Caller->PlaysWhite());
    t.Caller->Resign();
    t.Wire.Deliver();
    EXPECT_FALSE(t.Listener->GameRunning());
}

} // namespace
