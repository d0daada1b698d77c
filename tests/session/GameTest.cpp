#include "tests/session/SessionFixture.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

using namespace session_test;

namespace {

using Moves = std::vector<std::pair<const char *, const char *>>;

struct TGameView {
    QString Turn, White, Black;
    bool Board, NewGame, Resign, Clock;
    friend bool operator==(const TGameView &, const TGameView &) = default;
    friend std::ostream &operator<<(std::ostream &out, const TGameView &v) {
        return out << v.Turn.toStdString() << " W " << v.White.toStdString() << " B "
                   << v.Black.toStdString() << " board " << v.Board << " new " << v.NewGame
                   << " resign " << v.Resign << " clock " << v.Clock;
    }
};

TGameView View(const TWindow &w) {
    return {w.Panel(0),
            w->Edit2->text(),
            w->Edit1->text(),
            w.BoardEnabled(),
            w->BitBtn3->isEnabled(),
            w->BitBtn4->isEnabled(),
            w->Session().Timer().Enabled()};
}

struct StartRow {
    const char *name;
    bool callerStarts;
};
using test_rows::PrintTo;

class NewGame : public ::testing::TestWithParam<StartRow> {};

TEST_P(NewGame, StarterPlaysWhiteOtherBlack) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    TWindow &starter = GetParam().callerStarts ? pair.Caller : pair.Listener;
    TWindow &other = GetParam().callerStarts ? pair.Listener : pair.Caller;
    starter->BitBtn3Click();
    ASSERT_TRUE(WaitUntil([&] { return other.InGame(); }));
    EXPECT_EQ(View(starter),
              (TGameView{"White turn ...", "45:0", "45:0", true, false, true, true}));
    EXPECT_EQ(View(other), (TGameView{"White turn ...", "45:0", "45:0", false, false, true, true}));
    EXPECT_TRUE(starter->Session().PlaysWhite());
    EXPECT_FALSE(other->Session().PlaysWhite());
    EXPECT_TRUE(starter.MoveList().isEmpty());
    EXPECT_TRUE(other.MoveList().isEmpty());
    // Black's first move is played on the second program's board.
    Drag(starter->ChessBrd1, "E2", "E4");
    ASSERT_TRUE(WaitUntil([&] { return other.BoardEnabled(); }));
    EXPECT_EQ(View(starter).Turn, QStringLiteral("Black turn ..."));
    EXPECT_FALSE(starter.BoardEnabled());
    EXPECT_EQ(other.MoveList(), QStringList{"1. E2-E4"});
    Drag(other->ChessBrd1, "E7", "E5");
    ASSERT_TRUE(WaitUntil([&] { return starter.BoardEnabled(); }));
    EXPECT_EQ(starter.MoveList(), (QStringList{"1. E2-E4", "              E7-E5"}));
    EXPECT_EQ(starter->ChessBrd1->Position(), other->ChessBrd1->Position());
}

INSTANTIATE_TEST_SUITE_P(Rows, NewGame,
                         ::testing::Values(StartRow{"ListenerStarts", false},
                                           StartRow{"CallerStarts", true}),
                         test_rows::RowName);

TEST(Game, TimeSettingTravelsWithNewGame) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    pair.Listener->Session().SetTimePerSide(7);
    ASSERT_TRUE(pair.StartGame());
    EXPECT_EQ(pair.Caller->Session().TimePerSide(), 7);
    EXPECT_EQ(View(pair.Caller).White, QStringLiteral("7:0"));
    EXPECT_EQ(View(pair.Caller).Black, QStringLiteral("7:0"));
}

struct MateRow {
    const char *name;
    Moves moves; // the last one mates
    QString mateNotice, noMoveNotice, check, turnAfter;
};
class Mates : public ::testing::TestWithParam<MateRow> {};

TEST_P(Mates, MateEndsTheGameOnBothSides) {
    const MateRow &row = GetParam();
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    ASSERT_TRUE(PlayMoves(pair, Moves(row.moves.begin(), row.moves.end() - 1)));
    const bool whiteMates = row.moves.size() % 2 == 1;
    TWindow &mover = whiteMates ? pair.Listener : pair.Caller;
    TWindow &peer = whiteMates ? pair.Caller : pair.Listener;
    Drag(mover->ChessBrd1, row.moves.back().first, row.moves.back().second);
    const TGameView over{row.turnAfter, "", "", false, true, false, false};
    ASSERT_TRUE(WaitUntil([&] { return !peer.InGame(); }));
    // The mover sees the mate notice and then the no-move notice; the peer only the mate.
    EXPECT_EQ(mover.Boxes.Notices(), (QStringList{row.mateNotice, row.noMoveNotice}));
    EXPECT_EQ(peer.Boxes.Notices(), QStringList{row.mateNotice});
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        TGameView v = View(*w);
        v.White = v.Black = QString();
        EXPECT_EQ(v, over);
        EXPECT_EQ(w->Panel(1), row.check);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Mates,
    ::testing::Values(MateRow{"BlackMates",
                              {{"F2", "F3"}, {"E7", "E5"}, {"G2", "G4"}, {"D8", "H4"}},
                              "Black check mate ..., White loss!!!",
                              "White can not move ..., Black Win!!!",
                              "Warning : Black check...!!",
                              "White turn ..."},
                      MateRow{"WhiteMates",
                              {{"E2", "E4"},
                               {"E7", "E5"},
                               {"F1", "C4"},
                               {"B8", "C6"},
                               {"D1", "H5"},
                               {"G8", "F6"},
                               {"H5", "F7"}},
                              "White check mate, Black loss!!!",
                              "Black can not move, White Win!!!",
                              "Warning : White check...!!",
                              "Black turn ..."}),
    test_rows::RowName);

// Connects, starts a game (the listener plays White) and plays the moves.
bool GameAfter(TPair &pair, const Moves &moves) {
    return pair.Connect() && pair.StartGame() && PlayMoves(pair, moves);
}

TEST(Game, BlackCastlingWarnsOnBothSides) {
    TPair pair;
    ASSERT_TRUE(GameAfter(pair, {{"E2", "E4"},
                                 {"E7", "E5"},
                                 {"G1", "F3"},
                                 {"G8", "F6"},
                                 {"D2", "D3"},
                                 {"F8", "C5"},
                                 {"B1", "C3"},
                                 {"E8", "G8"}}));
    for (TWindow *w : {&pair.Listener, &pair.Caller})
        EXPECT_EQ(w->Panel(1), QStringLiteral("Warning : Black casting...!!"));
}

TEST(Game, CheckAndCastlingWarningsStayInPanel1) {
    TPair pair;
    ASSERT_TRUE(GameAfter(pair, {{"E2", "E4"},
                                 {"E7", "E5"},
                                 {"G1", "F3"},
                                 {"B8", "C6"},
                                 {"F1", "C4"},
                                 {"G8", "F6"},
                                 {"E1", "G1"}}));
    for (TWindow *w : {&pair.Listener, &pair.Caller})
        EXPECT_EQ(w->Panel(1), QStringLiteral("Warning : White casting...!!"));
    ASSERT_TRUE(PlayMoves(pair, {{"F6", "E4"}, {"C4", "F7"}}));
    for (TWindow *w : {&pair.Listener, &pair.Caller})
        EXPECT_EQ(w->Panel(1), QStringLiteral("Warning : White check...!!"));
    // Into the next game too.
    pair.Listener->BitBtn4Click();
    ASSERT_TRUE(WaitUntil([&] { return !pair.Caller.InGame(); }));
    ASSERT_TRUE(pair.StartGame());
    EXPECT_EQ(pair.Caller.Panel(1), QStringLiteral("Warning : White check...!!"));
}

struct DrawRow {
    const char *name;
    Moves moves;
    const char *notice;
    bool whiteMoverEnds;
};
class Draws : public ::testing::TestWithParam<DrawRow> {};

TEST_P(Draws, BothShowTheDrawAndTheMoverResigns) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    const auto &moves = GetParam().moves;
    ASSERT_TRUE(PlayMoves(pair, Moves(moves.begin(), moves.end() - 1)));
    TWindow &mover = GetParam().whiteMoverEnds ? pair.Listener : pair.Caller;
    TWindow &other = GetParam().whiteMoverEnds ? pair.Caller : pair.Listener;
    Drag(mover->ChessBrd1, moves.back().first, moves.back().second);
    ASSERT_TRUE(WaitUntil([&] { return !other.InGame(); }));
    EXPECT_FALSE(mover.InGame());
    EXPECT_EQ(mover.Boxes.Notices(), QStringList{GetParam().notice});
    EXPECT_EQ(other.Boxes.Notices(), QStringList{GetParam().notice});
    EXPECT_FALSE(mover->Session().Timer().Enabled());
    EXPECT_FALSE(other->Session().Timer().Enabled());
}

INSTANTIATE_TEST_SUITE_P(Rows, Draws,
                         ::testing::Values(DrawRow{"Stalemate",
                                                   {{"E2", "E3"},
                                                    {"A7", "A5"},
                                                    {"D1", "H5"},
                                                    {"A8", "A6"},
                                                    {"H5", "A5"},
                                                    {"H7", "H5"},
                                                    {"H2", "H4"},
                                                    {"A6", "H6"},
                                                    {"A5", "C7"},
                                                    {"F7", "F6"},
                                                    {"C7", "D7"},
                                                    {"E8", "F7"},
                                                    {"D7", "B7"},
                                                    {"D8", "D3"},
                                                    {"B7", "B8"},
                                                    {"D3", "H7"},
                                                    {"B8", "C8"},
                                                    {"F7", "G6"},
                                                    {"C8", "E6"}},
                                                   "Stalemate, draw!!!",
                                                   true},
                                           DrawRow{"Threefold",
                                                   {{"G1", "F3"},
                                                    {"G8", "F6"},
                                                    {"F3", "G1"},
                                                    {"F6", "G8"},
                                                    {"G1", "F3"},
                                                    {"G8", "F6"},
                                                    {"F3", "G1"},
                                                    {"F6", "G8"}},
                                                   "Threefold repetition, draw!!!",
                                                   false}),
                         test_rows::RowName);

TEST(Game, BareKingsAreADrawEvenThoughBothCanMove) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    // Black king on A8 and a pawn on E2 that the white king on E1 can take.
    std::string position(64, ' ');
    position[static_cast<std::size_t>(Ord(Square::A8) - 1)] = 'k';
    position[static_cast<std::size_t>(Ord(Square::E2) - 1)] = 'p';
    position[static_cast<std::size_t>(Ord(Square::E1) - 1)] = 'K';
    for (TWindow *w : {&pair.Listener, &pair.Caller})
        (*w)->ChessBrd1->SetPosition(position);
    Drag(pair.Listener->ChessBrd1, "E1", "E2");
    ASSERT_TRUE(WaitUntil([&] { return !pair.Caller.InGame(); }));
    EXPECT_FALSE(pair.Listener.InGame());
    for (TWindow *w : {&pair.Listener, &pair.Caller})
        EXPECT_EQ(w->Boxes.Notices(), QStringList{"Only two kings left, draw!!!"});
}

TEST(Game, ResignEndsBothGames) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    pair.Caller->BitBtn4Click();
    EXPECT_FALSE(pair.Caller.InGame());
    ASSERT_TRUE(WaitUntil([&] { return !pair.Listener.InGame(); }));
    for (TWindow *w : {&pair.Listener, &pair.Caller}) {
        EXPECT_FALSE(w->BoardEnabled());
        EXPECT_FALSE((*w)->Session().Timer().Enabled());
        EXPECT_TRUE(w->Boxes.Told().isEmpty());
    }
}

TEST(Game, OrientationButtonFlipsAndNamesTheNextView) {
    TWindow window;
    window->Button1Click();
    EXPECT_TRUE(window->ChessBrd1->WhiteOnTop());
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Black on Top"));
    window->Button1Click();
    EXPECT_FALSE(window->ChessBrd1->WhiteOnTop());
    EXPECT_EQ(window->Button1->text(), QStringLiteral("White on Top"));
}

} // namespace
