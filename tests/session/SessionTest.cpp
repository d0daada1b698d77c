// Two sessions in process, no window and no socket: a whole game and what happens around it.
#include "tests/session/InProcess.h"

#include <gtest/gtest.h>

namespace {
using namespace inproc;

bool Has(const std::vector<std::string> &kept, const char *text) {
    return !kept.empty() && kept.back().find(text) != std::string::npos;
}

TEST(InProcess, AWholeGameWithChatStepsResignationCrossingNewGamesAndAFlag) {
    TTable t;
    ASSERT_TRUE(t.Connect());
    ASSERT_TRUE(t.StartGame());
    EXPECT_TRUE(t.Listener->PlaysWhite());
    EXPECT_FALSE(t.Caller->PlaysWhite());
    ASSERT_TRUE(t.Play({{"E2", "E4"}, {"E7", "E5"}, {"G1", "F3"}}));
    EXPECT_EQ(t.Caller.View.MoveList, (QStringList{"1. E2-E4", "              E7-E5", "2. G1-F3"}));

    t.Caller->Chat(QStringLiteral("hi"));
    t.Wire.Deliver();
    EXPECT_EQ(t.Caller.View.Messages, QStringList{">hi"});
    EXPECT_EQ(t.Listener.View.Messages, QStringList{"hi"});

    // A granted step: both boards go back; a refused one: the asker is told.
    t.Listener.Boxes.Answer(true);
    t.Caller->AskStep(true);
    t.Wire.Deliver();
    EXPECT_EQ(t.Listener.Board.Position(), t.Caller.Board.Position());
    EXPECT_TRUE(t.Caller.Board.WhiteToMove());
    t.Caller.Boxes.Answer(false);
    t.Listener->AskStep(false);
    t.Wire.Deliver();
    EXPECT_EQ(t.Listener.Boxes.Log().last(), "Refusal|Error|Forward move request is refused!");
    EXPECT_TRUE(t.Caller.Board.WhiteToMove());

    t.Listener->Resign();
    t.Wire.Deliver();
    for (TPlayer *p : {&t.Listener, &t.Caller}) {
        EXPECT_EQ(p->Session->Phase(), TGamePhase::Ended);
        EXPECT_EQ(p->Kept.size(), 1u);
        EXPECT_TRUE(Has(p->Kept, "[Result \"0-1\"]"));
    }

    // New Games that cross on the wire: the side that accepted the call plays White.
    t.Caller->NewGame();
    t.Listener->NewGame();
    t.Wire.Deliver();
    ASSERT_TRUE(t.Listener->GameRunning() && t.Caller->GameRunning());
    EXPECT_TRUE(t.Listener->PlaysWhite());
    EXPECT_FALSE(t.Caller->PlaysWhite());

    // White's flag falls on the listener's clock; the caller hears it as a resignation in time.
    t.Listener->SetClock(true, {0, 0});
    t.Listener->Timer1Timer();
    t.Wire.Deliver();
    EXPECT_EQ(t.Listener.Boxes.Log().last(),
              "Notice|" + QCoreApplication::applicationName() + "|Time out ..., White loss!!!");
    for (TPlayer *p : {&t.Listener, &t.Caller}) {
        EXPECT_FALSE(p->Session->ClockRunning());
        ASSERT_TRUE(p->Session->Outcome());
        EXPECT_EQ(p->Session->Outcome()->Result, TGameResult::BlackWins);
    }
}

} // namespace
