// Games between copies that resume: a dropped connection suspends the game until the same peer
// comes back, and the two go on where they stood; otherwise it ends as a dropped game always did.
#include "tests/session/InProcess.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {
using namespace inproc;

// 1. e4 e5 2. Nf3, the caller (Black) to move.
void Opening(TTable &t) {
    ASSERT_TRUE(t.Connect());
    ASSERT_TRUE(t.StartGame());
    ASSERT_TRUE(t.Play({{"E2", "E4"}, {"E7", "E5"}, {"G1", "F3"}}));
}

// Both ended the game, no longer wait for it, and kept it once with that result.
void KeptOnce(TTable &t, const char *result) {
    for (TPlayer *p : {&t.Listener, &t.Caller}) {
        EXPECT_FALSE(p->Session->Suspended() || p->Session->GameRunning());
        ASSERT_EQ(p->Kept.size(), 1u);
        EXPECT_NE(p->Kept[0].find(result), std::string::npos);
    }
}

// A caller that is not the peer reaches the waiting listener: no box, and it is turned away.
void Trespass(TTable &t, const char *address, const QByteArray &lines, qint64 waitMs = 0) {
    t.Wire.Deliver();
    TMemoryConnection *raw = t.Listener.Transport->AcceptRaw(QString::fromLatin1(address));
    raw->Write(lines);
    t.Pass(waitMs);
    EXPECT_FALSE(raw->Open());
    EXPECT_TRUE(t.Listener.Boxes.Log().isEmpty());
}

const QByteArray Resumes = "Morvanti-CTR-Features Numbered Resume\n";

struct CutRow {
    const char *name;
    std::function<void(TTable &)> cut; // plays on, then breaks the connection
    int plies;                         // on both boards once resumed
};

class Resume : public ::testing::TestWithParam<CutRow> {};

TEST_P(Resume, TheGameWaitsAndGoesOnWhereItStood) {
    TTable t;
    Opening(t);
    t.Listener->SetClock(true, {40, 7});
    t.Caller->SetClock(false, {41, 9});
    t.Caller.Transport->Remote = nullptr; // the first calls back fail
    GetParam().cut(t);
    t.Pass(TSession::SilenceMs + 1000);
    for (TPlayer *p : {&t.Listener, &t.Caller}) // Disconnect gives the game up
        EXPECT_TRUE(p->Session->Suspended() && !p->View.TakesMoves && p->View.Buttons.Connected &&
                    p->Kept.empty() && p->View.Status[2].startsWith("Connection lost 1:"));
    t.Caller.Transport->Remote = t.Listener.Transport;
    t.Pass(30000);
    for (TPlayer *p : {&t.Listener, &t.Caller}) {
        ASSERT_TRUE(p->Session->ClockRunning()) << p->View.Messages.join('|').toStdString();
        EXPECT_EQ(p->View.MoveList.size(), GetParam().plies);
        EXPECT_EQ(p->View.WhiteClock.left(3) + p->View.BlackClock.left(3), "40:41:");
    }
    EXPECT_EQ(t.Listener.Board.Position(), t.Caller.Board.Position());
    t.Listener->Resign();
    t.Wire.Deliver();
    KeptOnce(t, " 0-1");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Resume, ::testing::Values(
    CutRow{"CallersTurn", [](TTable &t) { t.Cut(); }, 3},
    CutRow{"ListenersTurn", [](TTable &t) { t.Play({{"B8", "C6"}}); t.Cut(); }, 4},
    CutRow{"CallersMoveInFlight", [](TTable &t) { t.Caller.Move("B8", "C6"); t.Cut(); }, 4},
    CutRow{"ListenersMoveInFlight", [](TTable &t) { t.Play({{"B8", "C6"}}); t.Listener.Move("F1", "C4"); t.Cut(); }, 5},
    CutRow{"QuestionOpen", [](TTable &t) { t.Caller.Boxes.Answer(true, {}, [&t] { t.Cut(); t.Wire.Deliver(); }); t.Listener->AskStep(true); }, 3},
    CutRow{"SilentlyVanished", [](TTable &t) { t.Cut(true); }, 3},
    CutRow{"WrongGameCallsMeanwhile", [](TTable &t) { t.Cut(); Trespass(t, "203.0.113.9", Resumes + "Morvanti-CTR-Resume 0123456789abcdef0123456789abcdef 3 2700 89abcdef\nMorvanti-MOV-E7-E5\n"); }, 3},
    CutRow{"OlderCopyCallsMeanwhile", [](TTable &t) { t.Cut(); Trespass(t, "127.0.0.1", "Morvanti-CTR-Features Promotion\nMorvanti-CTR-45\nMorvanti-CTR-New\n"); }, 3},
    CutRow{"CallerNeverNamesTheGame", [](TTable &t) { t.Cut(); Trespass(t, "198.51.100.7", Resumes + "Morvanti-TXT-hello\n", TSession::RecogniseMs); }, 3}),
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
    KeptOnce(t, " *");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Ends, ::testing::Values(
    EndRow{"NoOneComesBack", [](TTable &t) { t.Caller.Transport->Remote = nullptr; t.Cut(); t.Pass(TSession::GraceMs); }},
    EndRow{"DisconnectInPlay", [](TTable &t) { t.Caller->ConnectOrDisconnect(); }},
    EndRow{"ProgramClosed", [](TTable &t) { t.Listener->Close(); }},
    EndRow{"DisconnectWhileWaiting", [](TTable &t) { t.Cut(); t.Wire.Deliver(); t.Listener->ConnectOrDisconnect(); t.Caller->ConnectOrDisconnect(); }},
    EndRow{"BoardsDiffer", [](TTable &t) { t.Cut(); t.Wire.Deliver(); t.Caller.Board.MakeMove(At("B8"), At("C6")); t.Caller.Board.MakeMove(At("F1"), At("C4")); t.Pass(5000); }}),
    test_rows::RowName);
// clang-format on

} // namespace
