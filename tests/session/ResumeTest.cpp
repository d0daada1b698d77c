// Games between copies that resume: a dropped connection suspends the game until the same peer
// comes back, and the two go on where they stood; otherwise it ends as a dropped game always did.
#include "tests/session/InProcess.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {
using namespace inproc;
using test_rows::PrintTo;

// 1. e4 e5 2. Nf3, the caller (Black) to move.
void Opening(TTable &t) {
    ASSERT_TRUE(t.Connect());
    ASSERT_TRUE(t.StartGame());
    ASSERT_TRUE(t.Play({{"E2", "E4"}, {"E7", "E5"}, {"G1", "F3"}}));
}

int Plies(const TPlayer &p) {
    return (p.Board.CurrentMove() - 1) * 2 + (p.Board.WhiteToMove() ? 0 : 1);
}

// Both ended as a dropped game does: kept once, unfinished, and no longer waiting.
void EndedAsDropped(TTable &t) {
    for (TPlayer *p : {&t.Listener, &t.Caller}) {
        EXPECT_FALSE(p->Session->Suspended());
        EXPECT_FALSE(p->Session->GameRunning());
        ASSERT_EQ(p->Kept.size(), 1u);
        EXPECT_NE(p->Kept[0].find(" *"), std::string::npos);
    }
}

struct CutRow {
    const char *name;
    std::function<void(TTable &)> cut; // plays on, then breaks the connection
    int plies;                         // on both boards once resumed
};

class Resume : public ::testing::TestWithParam<CutRow> {};

TEST_P(Resume, TheGameGoesOnWhereItStood) {
    TTable t;
    Opening(t);
    t.Listener->SetClock(true, {40, 7});
    t.Caller->SetClock(false, {41, 9});
    GetParam().cut(t);
    t.Wire.Deliver();
    t.Pass(TSession::SilenceMs + 5000);
    for (TPlayer *p : {&t.Listener, &t.Caller}) {
        ASSERT_TRUE(p->Session->GameRunning()) << p->View.Messages.join('|').toStdString();
        EXPECT_TRUE(p->Session->ClockRunning());
        EXPECT_EQ(Plies(*p), GetParam().plies);
        EXPECT_EQ(p->View.WhiteClock, t.Listener.View.WhiteClock);
        EXPECT_EQ(p->View.BlackClock, t.Caller.View.BlackClock);
        EXPECT_TRUE(p->Kept.empty());
    }
    EXPECT_EQ(t.Listener.Board.Position(), t.Caller.Board.Position());
    EXPECT_EQ(t.Listener.View.WhiteClock.left(3), "40:");
    EXPECT_EQ(t.Caller.View.BlackClock.left(3), "41:");
    t.Mover()->Resign();
    t.Wire.Deliver();
    ASSERT_EQ(t.Listener.Kept.size(), 1u);
    ASSERT_EQ(t.Caller.Kept.size(), 1u);
    const auto moves = [](const std::string &pgn) { return pgn.substr(pgn.find("\n\n")); };
    EXPECT_EQ(moves(t.Listener.Kept[0]), moves(t.Caller.Kept[0]));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Resume, ::testing::Values(
    CutRow{"CallersTurn", [](TTable &t) { t.Cut(); }, 3},
    CutRow{"ListenersTurn", [](TTable &t) { t.Play({{"B8", "C6"}}); t.Cut(); }, 4},
    CutRow{"CallersMoveInFlight", [](TTable &t) { t.Caller.Move("B8", "C6"); t.Cut(); }, 4},
    CutRow{"ListenersMoveInFlight", [](TTable &t) { t.Play({{"B8", "C6"}}); t.Listener.Move("F1", "C4"); t.Cut(); }, 5},
    CutRow{"QuestionOpen", [](TTable &t) { t.Caller.Boxes.Answer(true, {}, [&t] { t.Cut(); t.Wire.Deliver(); }); t.Listener->AskStep(true); t.Wire.Deliver(); }, 3},
    CutRow{"SilentlyVanished", [](TTable &t) { t.Cut(true); }, 3}),
    test_rows::RowName);
// clang-format on

TEST(Resume, ASuspendedGameStandsStillAndEndsWhenNoOneComesBack) {
    TTable t;
    Opening(t);
    t.Caller.Transport->Remote = nullptr; // its calls back fail
    t.Cut();
    t.Wire.Deliver();
    t.Pass(60000);
    for (TPlayer *p : {&t.Listener, &t.Caller}) {
        EXPECT_TRUE(p->Session->Suspended());
        EXPECT_FALSE(p->Session->ClockRunning());
        EXPECT_FALSE(p->View.TakesMoves);
        EXPECT_TRUE(p->View.Buttons.Connected); // Disconnect gives the game up
        EXPECT_TRUE(p->Kept.empty());
        EXPECT_EQ(p->View.Status[2], "Connection lost 1:00");
    }
    t.Pass(TSession::GraceMs - 60000);
    EndedAsDropped(t);
}

// Whoever calls the waiting side is let in without a box and must name the game at once.
struct TrespasserRow {
    const char *name, *address;
    QByteArray lines;
    qint64 waitMs;
};

class Trespasser : public ::testing::TestWithParam<TrespasserRow> {};

TEST_P(Trespasser, IsTurnedAwayAndTheGameStillWaits) {
    TTable t;
    Opening(t);
    t.Cut();
    t.Wire.Deliver();
    TMemoryConnection *raw =
        t.Listener.Transport->AcceptRaw(QString::fromLatin1(GetParam().address));
    raw->Write(GetParam().lines);
    t.Wire.Deliver();
    t.Listener.Now += GetParam().waitMs;
    t.Listener->ResumeTick();
    t.Wire.Deliver();
    EXPECT_FALSE(raw->Open());
    EXPECT_TRUE(t.Listener.Boxes.Log().isEmpty());
    EXPECT_TRUE(t.Listener->Suspended());
    t.Pass(5000);
    EXPECT_TRUE(t.Listener->GameRunning() && t.Caller->GameRunning());
}

const QByteArray Resumes = "Morvanti-CTR-Features Numbered Resume\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Trespasser, ::testing::Values(
    TrespasserRow{"WrongGame", "203.0.113.9", Resumes + "Morvanti-CTR-Resume 0123456789abcdef0123456789abcdef 3 2700 89abcdef\nMorvanti-MOV-E7-E5\n", 0},
    TrespasserRow{"OlderCopy", "127.0.0.1", "Morvanti-CTR-Features Promotion\nMorvanti-CTR-45\nMorvanti-CTR-New\n", 0},
    TrespasserRow{"NeverNamesTheGame", "198.51.100.7", Resumes + "Morvanti-TXT-hello\n", TSession::RecogniseMs}),
    test_rows::RowName);
// clang-format on

struct EndRow {
    const char *name;
    std::function<void(TTable &)> act;
};

class Ends : public ::testing::TestWithParam<EndRow> {};

TEST_P(Ends, AsADroppedGameAlwaysDid) {
    TTable t;
    Opening(t);
    GetParam().act(t);
    t.Wire.Deliver();
    EndedAsDropped(t);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Ends, ::testing::Values(
    EndRow{"DisconnectInPlay", [](TTable &t) { t.Caller->ConnectOrDisconnect(); }},
    EndRow{"ProgramClosed", [](TTable &t) { t.Listener->Close(); }},
    EndRow{"DisconnectWhileWaiting", [](TTable &t) { t.Cut(); t.Wire.Deliver(); t.Listener->ConnectOrDisconnect(); t.Caller->ConnectOrDisconnect(); }},
    EndRow{"BoardsDiffer", [](TTable &t) { t.Cut(); t.Wire.Deliver(); t.Caller.Board.MakeMove(At("B8"), At("C6")); t.Caller.Board.MakeMove(At("F1"), At("C4")); t.Pass(5000); }}),
    test_rows::RowName);
// clang-format on

} // namespace
