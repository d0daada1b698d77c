#include "app/session/PreciseTimer.h"
#include "tests/session/SessionFixture.h"

#include "tests/common/Rows.h"
#include <QTest>
#include <gtest/gtest.h>

using namespace session_test;

namespace {

// Runs n ticks by hand, as the timer would.
void Tick(TWindow &w, int n) {
    for (int i = 0; i < n; ++i)
        w->Session().Timer1Timer();
}

QStringList Clocks(const TWindow &w) {
    return {w->Edit2->text(), w->Edit1->text()};
}

struct TickRow {
    const char *name;
    int minutes;
    int whiteTicks;    // ticks on White's turn after New Game
    QStringList shown; // White's field, Black's field
    bool flagFell;
};
using test_rows::PrintTo;

class ClockTicks : public ::testing::TestWithParam<TickRow> {};

TEST_P(ClockTicks, WhitesClockRunsOnWhitesTurn) {
    TWindow window;
    TRawPeer peer(window);
    window->Session().SetTimePerSide(GetParam().minutes);
    window->BitBtn3Click();
    window->Session().Timer().SetEnabled(false); // ticks come from the test alone
    Tick(window, GetParam().whiteTicks);
    EXPECT_EQ(Clocks(window), GetParam().shown);
    EXPECT_EQ(window.InGame(), !GetParam().flagFell);
    if (GetParam().flagFell) {
        EXPECT_EQ(window.Boxes.Notices(), QStringList{"Time out ..., White loss!!!"});
        EXPECT_FALSE(window.BoardEnabled());
        EXPECT_TRUE(peer.Expect("Morvanti-CTR-Resign"));
    } else {
        EXPECT_TRUE(window.Boxes.Notices().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ClockTicks,
                         ::testing::Values(TickRow{"NoTick", 45, 0, {"45:0", "45:0"}, false},
                                           TickRow{"FirstTick", 45, 1, {"44:59", "45:0"}, false},
                                           TickRow{
                                               "FiveSecondsLeft", 5, 295, {"0:5", "5:0"}, false},
                                           TickRow{"LastSecond", 5, 300, {"0:0", "5:0"}, false},
                                           TickRow{"FlagOn301st", 5, 301, {"0:0", "5:0"}, true}),
                         test_rows::RowName);

TEST(Clocks, FlagFallsOnBothProgramsAndEachResigns) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    pair.Listener->Session().SetTimePerSide(5);
    ASSERT_TRUE(pair.StartGame());
    ASSERT_TRUE(PlayMoves(pair, {{"E2", "E4"}}));
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        (*w)->Session().Timer().SetEnabled(false);
        Tick(*w, 301);
    }
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        EXPECT_EQ(w->Boxes.Notices(), QStringList{"Time out ..., Black loss!!!"});
        EXPECT_EQ((*w)->Edit1->text(), QStringLiteral("0:0"));
        EXPECT_FALSE(w->InGame());
    }
    // Each finds its own game already ended when the other's "Resign" arrives.
    EXPECT_TRUE(WaitUntil([&] { return !pair.Listener.InGame() && !pair.Caller.InGame(); }));
}

TEST(Clocks, TimeLineDuringAGameSetsMinutesAndKeepsSeconds) {
    TWindow window;
    TRawPeer peer(window);
    window->BitBtn3Click();
    window->Session().Timer().SetEnabled(false);
    Tick(window, 3);
    peer.Send("Morvanti-CTR-20\n");
    ASSERT_TRUE(peer.Sync(QStringLiteral("sync")));
    EXPECT_EQ(Clocks(window), (QStringList{"44:57", "45:0"}));
    Tick(window, 1);
    EXPECT_EQ(Clocks(window), (QStringList{"20:56", "45:0"}));
    EXPECT_EQ(window->Session().BlackClock().Minutes, 20);
    EXPECT_EQ(window->Session().TimePerSide(), 20);
}

TEST(Clocks, BackStepSwitchesTheRunningClock) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    ASSERT_TRUE(PlayMoves(pair, {{"E2", "E4"}}));
    pair.Listener.Boxes.AnswerConfirm(true);
    pair.Caller->BitBtn1Click();
    ASSERT_TRUE(
        WaitUntil([&] { return pair.Caller.Panel(0) == QStringLiteral("White turn ..."); }));
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        (*w)->Session().Timer().SetEnabled(false);
        const QString black = (*w)->Edit1->text();
        const auto left = [&] {
            return (*w)->Session().WhiteClock().Minutes * 60 + (*w)->Session().WhiteClock().Seconds;
        };
        const int whiteLeft = left();
        Tick(*w, 1);
        EXPECT_EQ((*w)->Edit1->text(), black);
        EXPECT_EQ(left(), whiteLeft - 1);
    }
}

TEST(Chat, BothWaysWithEmptyAndNonAsciiLines) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    const QString polish = QString::fromUtf8("za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87 \xe2\x99\x9e");
    const QStringList typed{"hello", "", polish, "<i>not markup</i>"};
    for (const QString &text : typed) {
        pair.Caller->Edit4->setText(text);
        QTest::keyClick(pair.Caller->Edit4, Qt::Key_Return);
        EXPECT_EQ(pair.Caller->Edit4->text(), QString());
    }
    ASSERT_TRUE(WaitUntil([&] { return pair.Listener.Messages().size() == typed.size(); }));
    EXPECT_EQ(pair.Listener.Messages(), typed);
    EXPECT_EQ(pair.Caller.Messages(),
              (QStringList{">hello", ">", ">" + polish, "><i>not markup</i>"}));
    pair.Listener->Edit4->setText(QStringLiteral("back"));
    pair.Listener->Edit4KeyDown(13);
    EXPECT_TRUE(WaitUntil([&] { return pair.Caller.Messages().last() == QStringLiteral("back"); }));
    EXPECT_EQ(pair.Listener.Messages().last(), QStringLiteral(">back"));
}

TEST(Chat, NotConnectedStillEchoesAndClears) {
    TWindow window;
    window->Edit4->setText(QStringLiteral("anyone?"));
    QTest::keyClick(window->Edit4, Qt::Key_Return);
    EXPECT_EQ(window.Messages(), QStringList{">anyone?"});
    EXPECT_EQ(window->Edit4->text(), QString());
    // Other keys are the edit field's own.
    QTest::keyClicks(window->Edit4, QStringLiteral("ab"));
    EXPECT_EQ(window->Edit4->text(), QStringLiteral("ab"));
}

struct StepRow {
    const char *name;
    std::vector<int> presses; // AskBack (1) or AskForward (2), in order
    std::vector<bool> answers;
    int expectedHalfMoves; // half-moves shown on the boards afterwards (from the start)
    QStringList refusals;
    const char *question;
};
// 1. e4 e5 2. Nf3 is played, then the caller asks; the listener's user answers.
class Steps : public ::testing::TestWithParam<StepRow> {};

TEST_P(Steps, BothBoardsStepOnlyWithConsent) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    ASSERT_TRUE(PlayMoves(pair, {{"E2", "E4"}, {"E7", "E5"}, {"G1", "F3"}}));
    const QStringList fullList = pair.Caller.MoveList();
    // Positions after 0..3 half-moves, taken from a board of our own.
    TChessRules reference;
    std::vector<std::string> positions{reference.Position()};
    for (auto [f, t] :
         {std::pair{Square::E2, Square::E4}, {Square::E7, Square::E5}, {Square::G1, Square::F3}}) {
        reference.MakeMove(f, t);
        positions.push_back(reference.Position());
    }
    for (bool answer : GetParam().answers)
        pair.Listener.Boxes.AnswerConfirm(answer);
    for (int press : GetParam().presses) {
        const auto asked = pair.Listener.Boxes.Confirms().size();
        press == 1 ? pair.Caller->BitBtn1Click() : pair.Caller->BitBtn2Click();
        ASSERT_TRUE(WaitUntil([&] { return pair.Listener.Boxes.Confirms().size() > asked; }));
    }
    const std::string expected =
        positions.at(static_cast<std::size_t>(GetParam().expectedHalfMoves));
    ASSERT_TRUE(WaitUntil([&] {
        return pair.Caller->ChessBrd1->Position() == expected &&
               pair.Caller.Boxes.Refusals().size() == GetParam().refusals.size();
    }));
    EXPECT_EQ(pair.Listener->ChessBrd1->Position(), expected);
    EXPECT_EQ(pair.Caller.Boxes.Refusals(), GetParam().refusals);
    EXPECT_EQ(pair.Listener.Boxes.Confirms().front(), QString::fromUtf8(GetParam().question));
    const bool whiteToMove = GetParam().expectedHalfMoves % 2 == 0;
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        EXPECT_EQ(w->Panel(0), whiteToMove ? QStringLiteral("White turn ...")
                                           : QStringLiteral("Black turn ..."));
        EXPECT_EQ(w->BoardEnabled(), (*w)->Session().PlaysWhite() == whiteToMove);
        // A step does not rebuild the move list.
        EXPECT_EQ(w->MoveList(), fullList);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Steps,
    ::testing::Values(
        StepRow{"BackGranted", {1}, {true}, 2, {}, "Your opponent ask to move backward. Agree?"},
        StepRow{"BackRefused",
                {1},
                {false},
                3,
                {"Backward move request is refused!"},
                "Your opponent ask to move backward. Agree?"},
        StepRow{"TwoBacksGranted",
                {1, 1},
                {true, true},
                1,
                {},
                "Your opponent ask to move backward. Agree?"},
        StepRow{"BackThenForwardGranted",
                {1, 2},
                {true, true},
                3,
                {},
                "Your opponent ask to move backward. Agree?"},
        StepRow{"ForwardAtTheEndGrantedMovesNothing",
                {2},
                {true},
                3,
                {},
                "Your opponent ask to move forward. Agree?"},
        StepRow{"BackGrantedForwardRefused",
                {1, 2},
                {true, false},
                2,
                {"Forward move request is refused!"},
                "Your opponent ask to move backward. Agree?"}),
    test_rows::RowName);

TEST(Steps, BackAtTheStartOfAGameMovesNothing) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    pair.Caller.Boxes.AnswerConfirm(true);
    pair.Listener->BitBtn1Click();
    ASSERT_TRUE(WaitUntil([&] { return pair.Caller.Boxes.Confirms().size() == 1; }));
    ASSERT_TRUE(
        WaitUntil([&] { return pair.Listener.Panel(0) == QStringLiteral("White turn ..."); }));
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        EXPECT_EQ((*w)->ChessBrd1->Position(), std::string(TChessRules::StartPosition));
        EXPECT_EQ(w->Panel(0), QStringLiteral("White turn ..."));
    }
    EXPECT_TRUE(pair.Listener.BoardEnabled());
    EXPECT_FALSE(pair.Caller.BoardEnabled());
}

struct SwitchRow {
    const char *name;
    bool callerAsks;
    bool answer;
    const char *captionAfter;
    bool stepsAfter;
    const char *refusal;
};
class Switch : public ::testing::TestWithParam<SwitchRow> {};

TEST_P(Switch, StepButtonsFollowTheAgreedSwitch) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    TWindow &asker = GetParam().callerAsks ? pair.Caller : pair.Listener;
    TWindow &answerer = GetParam().callerAsks ? pair.Listener : pair.Caller;
    answerer.Boxes.AnswerConfirm(GetParam().answer);
    asker->Button2Click();
    ASSERT_TRUE(WaitUntil([&] {
        return answerer.Boxes.Confirms().size() == 1 &&
               (asker->Button2->text() == QString::fromUtf8(GetParam().captionAfter) ||
                !asker.Boxes.Refusals().isEmpty());
    }));
    EXPECT_EQ(answerer.Boxes.Confirms().front(),
              QStringLiteral("Your opponent ask to disable navigation buttons. Agree?"));
    for (TWindow *w : {&asker, &answerer}) {
        EXPECT_EQ((*w)->Button2->text(), QString::fromUtf8(GetParam().captionAfter));
        EXPECT_EQ((*w)->BitBtn1->isEnabled(), GetParam().stepsAfter);
        EXPECT_EQ((*w)->BitBtn2->isEnabled(), GetParam().stepsAfter);
        EXPECT_TRUE((*w)->Button2->isEnabled());
    }
    EXPECT_EQ(asker.Boxes.Refusals(),
              GetParam().refusal ? QStringList{GetParam().refusal} : QStringList{});
    if (!GetParam().answer)
        return;
    // Switched off: either side may ask to switch on again.
    asker.Boxes.AnswerConfirm(true);
    answerer->Button2Click();
    ASSERT_TRUE(WaitUntil([&] { return answerer->Button2->text() == QStringLiteral("< OFF >"); }));
    EXPECT_EQ(asker.Boxes.Confirms().back(),
              QStringLiteral("Your opponent ask to enable navigation buttons. Agree?"));
    EXPECT_TRUE(asker->BitBtn1->isEnabled());
    EXPECT_TRUE(answerer->BitBtn2->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Switch,
    ::testing::Values(SwitchRow{"CallerAsksGranted", true, true, "< ON >", false, nullptr},
                      SwitchRow{"ListenerAsksGranted", false, true, "< ON >", false, nullptr},
                      SwitchRow{"CallerAsksRefused", true, false, "< OFF >", true,
                                "Navigation disable request is refused!"}),
    test_rows::RowName);

// Connects and has the caller's request to switch the step buttons off granted.
bool ConnectedWithStepsOff(TPair &pair) {
    if (!pair.Connect())
        return false;
    pair.Listener.Boxes.AnswerConfirm(true);
    pair.Caller->Button2Click();
    return WaitUntil([&] { return pair.Caller->Button2->text() == QStringLiteral("< ON >"); });
}

TEST(Switch, ReconnectionEnablesStepsWhileTheSwitchStaysOff) {
    TPair pair;
    ASSERT_TRUE(ConnectedWithStepsOff(pair));
    pair.Caller->BitBtn6Click();
    ASSERT_TRUE(WaitUntil([&] { return !pair.Listener.Connected(); }));
    EXPECT_FALSE(pair.Caller->Button2->isEnabled());
    ASSERT_TRUE(pair.Connect());
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        EXPECT_EQ((*w)->Button2->text(), QStringLiteral("< ON >"));
        EXPECT_TRUE((*w)->BitBtn1->isEnabled());
        EXPECT_TRUE((*w)->BitBtn2->isEnabled());
    }
}

TEST(Switch, RefusedSwitchOnKeepsTheStepButtonsOff) {
    TPair pair;
    ASSERT_TRUE(ConnectedWithStepsOff(pair));
    pair.Listener.Boxes.AnswerConfirm(false);
    pair.Caller->Button2Click();
    ASSERT_TRUE(WaitUntil([&] { return !pair.Caller.Boxes.Refusals().isEmpty(); }));
    EXPECT_EQ(pair.Caller.Boxes.Refusals(), QStringList{"Navigation enable request is refused!"});
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        EXPECT_EQ((*w)->Button2->text(), QStringLiteral("< ON >"));
        EXPECT_FALSE((*w)->BitBtn1->isEnabled());
        EXPECT_FALSE((*w)->BitBtn2->isEnabled());
    }
}

} // namespace
