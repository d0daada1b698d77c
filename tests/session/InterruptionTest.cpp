// Events that arrive inside other actions: a box's nested event loop, a held piece, a move whose
// notice is still open.
#include "app/session/PeerLink.h"
#include "tests/session/SessionFixture.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {
using namespace session_test;

const char *const FoolsMate = "rnb kbnrpppp ppp            p         Pq     P  PPPPP  PRNBQKBNR";

// Listener (White) and Caller (Black) in a game; the clocks tick only when the test says.
struct TGame : TPair {
    TGame() {
        EXPECT_TRUE(Connect());
        EXPECT_TRUE(StartGame());
        Listener->Session().Timer().SetEnabled(false);
        Caller->Session().Timer().SetEnabled(false);
    }
};

// How a game can end while the local player holds a piece.
struct EndRow {
    const char *name;
    std::function<void(TGame &)> end;
};

class EndDuringDrag : public ::testing::TestWithParam<EndRow> {};

TEST_P(EndDuringDrag, CancelsTheDragAndTheGameStaysEnded) {
    TGame game;
    THeldDrag held(game.Listener->ChessBrd1, "E2");
    ASSERT_TRUE(game.Listener->ChessBrd1->IsDragging());
    GetParam().end(game);
    ASSERT_TRUE(WaitUntil([&] { return !game.Listener.InGame(); }));
    EXPECT_FALSE(game.Listener->ChessBrd1->IsDragging());
    EXPECT_FALSE(game.Listener.BoardEnabled());
    EXPECT_FALSE(game.Listener->Session().Timer().Enabled());
    held.Release("E4");
    game.Listener->Session().Timer1Timer(); // a tick that was already due changes nothing either
    EXPECT_EQ(game.Listener->ChessBrd1->Position(), TChessRules::StartPosition);
    EXPECT_FALSE(game.Listener.BoardEnabled());
    EXPECT_FALSE(game.Listener->Session().Timer().Enabled());
    EXPECT_LE(game.Listener.Boxes.Notices().size(), 1);
    // Nothing reached the other board.
    if (game.Caller.Connected()) {
        game.Listener->Edit4->setText(QStringLiteral("sync"));
        game.Listener->Edit4KeyDown(13);
        EXPECT_TRUE(WaitUntil([&] { return game.Caller.Messages().contains("sync"); }));
    }
    EXPECT_EQ(game.Caller->ChessBrd1->Position(), TChessRules::StartPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EndDuringDrag,
    ::testing::Values(EndRow{"PeerResigns", [](TGame &g) { g.Caller->BitBtn4Click(); }},
                      EndRow{"ConnectionCloses", [](TGame &g) { g.Caller->BitBtn6Click(); }},
                      EndRow{"OwnFlagFalls",
                             [](TGame &g) {
                                 g.Listener->Session().SetClock(true, {0, 0});
                                 g.Listener->Session().Timer1Timer();
                             }}),
    test_rows::RowName);

// Fool's mate, Black's queen mating; the listener (White) gets the mate while its boxes stay open
// until the script answers them.
struct TMatedListener : TGame {
    TMatedListener() {
        EXPECT_TRUE(PlayMoves(*this, {{"F2", "F3"}, {"E7", "E5"}, {"G2", "G4"}}));
        Listener.Boxes.Script.RunLoops = true;
    }
    void Mate() {
        Drag(Caller->ChessBrd1, "D8", "H4");
        ASSERT_TRUE(WaitUntil([&] { return Listener.Boxes.Notices().size() == 1; }));
        EXPECT_EQ(Listener.Boxes.Notices().front(),
                  QStringLiteral("Black check mate ..., White loss!!!"));
    }
};

TEST(Interruption, NewGameAndFirstMoveArriveWhileTheMateNoticeIsOpen) {
    TMatedListener game;
    game.Listener.Boxes.Script.Answer(true, {}, [&] {
        // The winner starts again and opens with 1. e4 while the loser still reads.
        game.Caller->BitBtn3Click();
        Drag(game.Caller->ChessBrd1, "E2", "E4");
        EXPECT_TRUE(WaitUntil([&] {
            return game.Listener->Session().Link().Queued() == 4;
        })); // Resign, New, share, move
    });
    game.Mate();
    ASSERT_TRUE(WaitUntil([&] {
        return game.Listener->ChessBrd1->Position() == game.Caller->ChessBrd1->Position();
    }));
    EXPECT_FALSE(game.Listener->ChessBrd1->WhiteToMove());
    EXPECT_FALSE(game.Listener->Session().PlaysWhite());
    EXPECT_TRUE(game.Listener.BoardEnabled());
    EXPECT_TRUE(game.Listener.InGame());
    EXPECT_EQ(game.Listener.MoveList(), QStringList{"1. E2-E4"});
}

TEST(Interruption, StepGrantedAfterTheMateNoticeKeepsTheMateInTheRecord) {
    TMatedListener game;
    game.Listener.Boxes.Script.Answer(true, {}, [&] {
        game.Caller->BitBtn1Click();
        EXPECT_TRUE(WaitUntil(
            [&] { return game.Listener->Session().Link().Queued() == 2; })); // Resign, AskBack
        EXPECT_TRUE(game.Listener.Boxes.Confirms().isEmpty());
    });
    game.Listener.Boxes.Script.Answer(true); // the back step, asked once the notice is closed
    game.Mate();
    ASSERT_TRUE(WaitUntil([&] { return game.Caller->ChessBrd1->Position() != FoolsMate; }));
    EXPECT_EQ(game.Listener->ChessBrd1->Position(), game.Caller->ChessBrd1->Position());
    for (TWindow *w : {&game.Listener, &game.Caller}) {
        (*w)->ChessBrd1->MoveForward();
        EXPECT_EQ((*w)->ChessBrd1->Position(), FoolsMate);
    }
}

// Lines that must wait for the board are bounded: a peer that keeps sending them is cut off.
TEST(Interruption, PeerFloodingWhileTheBoardIsBusyIsCutOff) {
    TMatedListener game;
    game.Listener.Boxes.Script.Answer(true, {}, [&] {
        QByteArray flood;
        for (std::size_t i = 0; i <= TPeerLink::MaxQueued; ++i)
            flood += "Morvanti-CTR-New\n";
        game.Caller->Session().Link().Current()->Write(flood);
        EXPECT_TRUE(
            WaitUntil([&] { return !game.Listener.Connected() && !game.Caller.Connected(); }));
        EXPECT_EQ(game.Listener->Session().Link().Queued(), 0u);
    });
    game.Mate();
    EXPECT_EQ(game.Listener.Boxes.Log().size(), 1);
    EXPECT_FALSE(game.Listener.InGame());
}

// A flood of one line: at most one box of its kind, every repeat answered or dropped at once.
struct FloodRow {
    const char *name;
    QByteArray line;
    ShownBox::Kind box;
    QString text;
    QByteArray reply; // sent back for each repeat; empty: repeats are dropped
};

class Flood : public ::testing::TestWithParam<FloodRow> {};

TEST_P(Flood, OpensOneBoxOfItsKind) {
    const FloodRow &row = GetParam();
    const int count = 3000;
    TWindow window;
    TRawPeer peer(window);
    window.Boxes.Script.RunLoops = true;
    if (row.box == ShownBox::Kind::Refusal)
        window->BitBtn2Click(); // a refusal is shown only for a question asked
    window.Boxes.Script.Answer(false, {}, [&] {
        ASSERT_TRUE(peer.Sync(QStringLiteral("flooded")));
        EXPECT_EQ(window.Boxes.Script.OpenCount(row.box, row.text), 1u);
        if (!row.reply.isEmpty()) {
            EXPECT_TRUE(WaitUntil([&] { return peer.Received.count(row.reply) == count - 1; }));
        }
    });
    QByteArray flood;
    for (int i = 0; i < count; ++i)
        flood += "Morvanti-CTR-" + row.line + "\n";
    peer.Send(flood);
    ASSERT_TRUE(WaitUntil(
        [&] { return window.Boxes.Log().size() == 1 && window.Messages().contains("flooded"); }));
    ASSERT_TRUE(peer.Sync(QStringLiteral("after")));
    EXPECT_EQ(window.Boxes.Log().size(), 1);
    EXPECT_EQ(window->Session().Link().Queued(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Flood,
    ::testing::Values(FloodRow{"AskBack", "AskBack", ShownBox::Kind::Confirm,
                               "Your opponent ask to move backward. Agree?",
                               "Morvanti-CTR-BackFail"},
                      FloodRow{"WardAskOff", "WardAskOff", ShownBox::Kind::Confirm,
                               "Your opponent ask to disable navigation buttons. Agree?",
                               "Morvanti-CTR-WardOffFail"},
                      FloodRow{"ForwardFail", "ForwardFail", ShownBox::Kind::Refusal,
                               "Forward move request is refused!", ""}),
    test_rows::RowName);

TEST(Interruption, CrossedNewGamesSettleOppositeColours) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    // Both press before either has heard of the other's game.
    pair.Listener->BitBtn3Click();
    pair.Caller->BitBtn3Click();
    ASSERT_TRUE(WaitUntil([&] {
        return pair.Listener->Session().PlaysWhite() != pair.Caller->Session().PlaysWhite();
    }));
    EXPECT_TRUE(pair.Listener->Session().PlaysWhite()); // the side that accepted the call
    EXPECT_TRUE(pair.Listener.BoardEnabled());
    EXPECT_FALSE(pair.Caller.BoardEnabled());
    EXPECT_TRUE(PlayMoves(pair, {{"E2", "E4"}, {"E7", "E5"}}));
}

TEST(Interruption, StepBeforeAnyGameStartsNoClock) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    pair.Listener.Boxes.AnswerConfirm(true);
    pair.Caller->BitBtn1Click();
    ASSERT_TRUE(
        WaitUntil([&] { return pair.Caller.Panel(0) == QStringLiteral("White turn ..."); }));
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        EXPECT_FALSE((*w)->Session().Timer().Enabled());
        EXPECT_FALSE(w->BoardEnabled());
    }
}

TEST(Interruption, NothingOfAnEndedConnectionActsOnTheNextOne) {
    TWindow window;
    auto first = std::make_unique<TRawPeer>(window);
    std::unique_ptr<TRawPeer> second;
    window.Boxes.Script.RunLoops = true;
    // The asker leaves while its question is open, and another caller comes in.
    window.Boxes.Script.Answer(true, {}, [&] {
        first->Socket.disconnectFromHost();
        ASSERT_TRUE(WaitUntil([&] { return !window.Connected(); }));
        second = std::make_unique<TRawPeer>(window);
        ASSERT_TRUE(window.Connected());
    });
    // The rest of the interrupted read: a new game for a connection that is gone.
    first->Send("Morvanti-CTR-AskBack\nMorvanti-CTR-45\nMorvanti-CTR-New\n");
    ASSERT_TRUE(WaitUntil([&] { return second && window.Boxes.Confirms().size() == 1; }));
    ASSERT_TRUE(second->Sync(QStringLiteral("sync")));
    EXPECT_EQ(second->Received, QList<QByteArray>{Announcement});
    EXPECT_FALSE(window.InGame());
    EXPECT_EQ(window->ChessBrd1->Position(), TChessRules::StartPosition);
}

} // namespace
