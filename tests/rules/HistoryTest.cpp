#include "tests/rules/RulesTestSupport.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;
const std::string Start = TChessRules::StartPosition;
const std::string Pending = "              @9-@9";

TEST(MoveList, FreshBoardHasOnePendingLine) {
    TChessRules board;
    EXPECT_EQ(board.GetMoveList(), Lines{"1. @9-@9"});
    EXPECT_FALSE(board.MoveBack());
    EXPECT_FALSE(board.MoveForward());
    EXPECT_FALSE(board.GotoMove(1, true)) << "an entry never written holds no position to show";
    EXPECT_EQ(board.Position(), Start);
}

TEST(MoveList, EmptyRecordAfterSessionStart) {
    TChessRules board;
    board.LastMoveNumber = 0;
    EXPECT_TRUE(board.GetMoveList().empty());
    EXPECT_FALSE(board.MoveBack());
    EXPECT_FALSE(board.MoveForward());
    ASSERT_TRUE(Play(board, "E2-E4"));
    EXPECT_EQ(board.GetMoveList(), (Lines{"1. E2-E4", Pending}));
}

struct ListCase {
    const char *name;
    const char *moves;
    Lines lines;
};

class MoveListTest : public testing::TestWithParam<ListCase> {};

TEST_P(MoveListTest, LinesFollowTheGame) {
    TChessRules board;
    ASSERT_TRUE(Play(board, GetParam().moves));
    EXPECT_EQ(board.GetMoveList(), GetParam().lines);
}

const ListCase ListCases[] = {
    {"OneWhiteMove", "E2-E4", {"1. E2-E4", Pending}},
    {"FullMoveAndOne",
     "E2-E4 E7-E5 G1-F3",
     {"1. E2-E4", "              E7-E5", "2. G1-F3", Pending}},
    {"PendingWhiteLine", "E2-E4 E7-E5", {"1. E2-E4", "              E7-E5", "2. @9-@9"}},
};

INSTANTIATE_TEST_SUITE_P(Games, MoveListTest, testing::ValuesIn(ListCases), test_rows::RowName);

TEST(MoveList, NumbersOfTwoAndThreeDigitsAndLongGames) {
    TChessRules board;
    SetUpBoard(board, "r3k1n1/8/8/8/8/8/8/R3K1N1", true);
    ASSERT_TRUE(PlayQuietGame(board, 620));
    const Lines lines = board.GetMoveList();
    ASSERT_EQ(lines.size(), 621u);
    EXPECT_EQ(lines[18].substr(0, 4), "10. ");
    EXPECT_EQ(lines[198].substr(0, 5), "100. ");
    EXPECT_EQ(lines[618].substr(0, 5), "310. ");
    EXPECT_EQ(lines[619].substr(0, 14), std::string(14, ' '));
    EXPECT_NE(lines[619][14], ' ');
    EXPECT_EQ(lines[619].size(), 19u);
    EXPECT_EQ(lines[620], "311. @9-@9");
    EXPECT_EQ(board.CurrentMove(), 311);
    // Every entry of the long record can be revisited and replayed.
    const MoveInfo entry = board.MoveHistory(300, false);
    ASSERT_TRUE(board.GotoMove(300, false));
    EXPECT_EQ(board.Position(), entry.Board);
    EXPECT_TRUE(board.MakeMove(entry.FromSq, entry.ToSq));
    EXPECT_EQ(board.GetMoveList().size(), 601u);
}

TEST(Navigation, StepsBackAndForwardThroughTheRecord) {
    RecordingBoard board;
    ASSERT_TRUE(Play(board, "E2-E4 E7-E5"));
    const std::string afterE5 = board.Position();
    board.paints.clear();
    ASSERT_TRUE(board.MoveBack());
    EXPECT_FALSE(board.WhiteToMove());
    EXPECT_EQ(board.CurrentMove(), 1);
    EXPECT_EQ(board.EnPassant(), Square::E3);
    EXPECT_EQ(board.PieceAt(Square::E7), 'p');
    EXPECT_EQ(board.paints, Lines{"Changed E7 E5"});
    ASSERT_TRUE(board.MoveBack());
    EXPECT_TRUE(board.WhiteToMove());
    EXPECT_EQ(board.Position(), Start);
    EXPECT_EQ(board.EnPassant(), Square::None);
    EXPECT_FALSE(board.MoveBack());
    ASSERT_TRUE(board.MoveForward());
    EXPECT_EQ(board.EnPassant(), Square::E3);
    ASSERT_TRUE(board.MoveForward());
    EXPECT_EQ(board.Position(), afterE5);
    EXPECT_TRUE(board.WhiteToMove());
    EXPECT_EQ(board.CurrentMove(), 2);
    EXPECT_FALSE(board.MoveForward());
    EXPECT_TRUE(board.events.size() == 2) << "navigation fires no events";
}

TEST(Navigation, RestoresCastlingRights) {
    TChessRules board;
    SetUpBoard(board, "r3k2r/8/8/8/8/8/8/R3K2R", true, AllCastlings);
    ASSERT_TRUE(Play(board, "E1-G1 E8-E7"));
    EXPECT_EQ(board.CastlingAllowed().Bits(), 0);
    ASSERT_TRUE(board.GotoMove(1, true));
    EXPECT_EQ(board.CastlingAllowed(), AllCastlings);
    ASSERT_TRUE(board.GotoMove(1, false));
    EXPECT_EQ(board.CastlingAllowed().Bits(), 12);
    EXPECT_EQ(board.PieceAt(Square::F1), 'R');
}

struct GotoCase {
    const char *name;
    int first;
    int number;
    bool white;
    bool accepted;
};

class GotoMoveTest : public testing::TestWithParam<GotoCase> {};

// The record after 1. e4 e5 2. Nf3 ends at (2, Black).
TEST_P(GotoMoveTest, AcceptsOnlyPointsInsideTheRecord) {
    const GotoCase &c = GetParam();
    TChessRules board;
    ASSERT_TRUE(Play(board, "E2-E4 E7-E5 G1-F3"));
    board.FirstMoveNumber = c.first;
    const std::string before = board.Position();
    EXPECT_EQ(board.GotoMove(c.number, c.white), c.accepted);
    if (!c.accepted) {
        EXPECT_EQ(board.Position(), before);
        EXPECT_FALSE(board.WhiteToMove());
        EXPECT_EQ(board.CurrentMove(), 2);
    } else {
        EXPECT_EQ(board.Position(), board.MoveHistory(c.number, c.white).Board);
        EXPECT_EQ(board.CurrentMove(), c.number);
        EXPECT_EQ(board.WhiteToMove(), c.white);
    }
}

const GotoCase GotoCases[] = {
    {"First", 1, 1, true, true},         {"FirstBlack", 1, 1, false, true},
    {"Last", 1, 2, false, true},         {"PastLast", 1, 3, true, false},
    {"Zero", 1, 0, false, false},        {"BelowFirst", 2, 1, false, false},
    {"AtRaisedFirst", 2, 2, true, true}, {"Negative", 1, -5, true, false},
};

INSTANTIATE_TEST_SUITE_P(Points, GotoMoveTest, testing::ValuesIn(GotoCases), test_rows::RowName);

TEST(Navigation, PlayingAfterSteppingBackCutsTheOldContinuation) {
    TChessRules board;
    ASSERT_TRUE(Play(board, "E2-E4 E7-E5 G1-F3 B8-C6"));
    ASSERT_TRUE(board.MoveBack());
    ASSERT_TRUE(board.MoveBack());
    ASSERT_TRUE(Play(board, "F1-C4"));
    EXPECT_FALSE(board.MoveForward());
    // The pending entry still holds the move of the dropped continuation.
    EXPECT_EQ(board.GetMoveList(),
              (Lines{"1. E2-E4", "              E7-E5", "2. F1-C4", "              B8-C6"}));
    EXPECT_EQ(board.PieceAt(Square::G1), 'N');
    ASSERT_TRUE(board.MoveBack());
    ASSERT_TRUE(board.MoveForward());
    EXPECT_EQ(board.PieceAt(Square::C4), 'B');
}

TEST(Threefold, BlocksAllPlayUntilSteppedBack) {
    RecordingBoard board;
    ASSERT_TRUE(Play(board, "G1-F3 G8-F6 F3-G1 F6-G8 G1-F3 G8-F6 F3-G1"));
    EXPECT_FALSE(board.IsThreefoldPosition());
    EXPECT_TRUE(board.CanMove());
    ASSERT_TRUE(Play(board, "F6-G8"));
    EXPECT_TRUE(board.IsThreefoldPosition());
    EXPECT_FALSE(board.CanMove());
    EXPECT_TRUE(board.LegalMoves().empty());
    EXPECT_FALSE(board.IsLegalMove(Square::E2, Square::E4));
    ASSERT_TRUE(board.MoveBack());
    EXPECT_FALSE(board.IsThreefoldPosition());
    EXPECT_TRUE(board.IsLegalMove(Square::F6, Square::G8));
    EXPECT_TRUE(board.MakeMove(Square::F6, Square::H5));
    board.ResetGame();
    EXPECT_TRUE(board.IsLegalMove(Square::E2, Square::E4));
}

// The point reached by a move made after stepping back still holds the repeated placement in its
// entry until the move is recorded; that must not read as "no move left".
TEST(Threefold, MoveAfterSteppingBackFromRepetitionIsNoStalemate) {
    RecordingBoard board;
    ASSERT_TRUE(Play(board, "G1-F3 G8-F6 F3-G1 F6-G8 G1-F3 G8-F6 F3-G1 F6-G8"));
    ASSERT_TRUE(board.MoveBack());
    board.events.clear();
    ASSERT_TRUE(Play(board, "F6-H5"));
    EXPECT_EQ(board.events, std::vector<std::string>{"Legal F6-H5"});
    EXPECT_TRUE(board.CanMove());
}

TEST(Threefold, CountsPlacementOnlyWhateverSideToMove) {
    TChessRules board;
    // White loses a tempo, so the placement A1/H8 recurs with Black to move.
    SetUpBoard(board, "7k/8/8/8/8/8/8/K7", true);
    std::vector<std::string> fired;
    board.OnThreefoldPosition = [&](TObject *) {
        fired.push_back(std::to_string(board.CurrentMove()));
    };
    ASSERT_TRUE(Play(board, "A1-A2 H8-H7 A2-B1 H7-H8 B1-A1 H8-G8 A1-B1 G8-H8"));
    EXPECT_TRUE(fired.empty());
    ASSERT_TRUE(Play(board, "B1-A1"));
    EXPECT_EQ(fired, std::vector<std::string>{"5"})
        << "third placement A1/H8 counts with either side to move";
}

} // namespace
