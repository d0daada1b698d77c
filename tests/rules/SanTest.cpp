#include "board/core/Notation.h"
#include "tests/rules/RulesTestSupport.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

struct SanCase {
    const char *name;
    const char *fen;
    bool white;
    CastleSet castling;
    Square enPassant;
    const char *move; // "E2-E4"
    char promotion;
    const char *san; // "" = no SAN (illegal)
};

using test_rows::PrintTo;

class SanOfMoveTest : public testing::TestWithParam<SanCase> {};

TEST_P(SanOfMoveTest, NamesTheMove) {
    const SanCase &c = GetParam();
    RecordingBoard board;
    SetUpBoard(board, c.fen, c.white, c.castling, c.enPassant);
    const std::string before = board.Position();
    board.events.clear();
    const std::string move = c.move;
    EXPECT_EQ(SanOfMove(board, Sq(move.substr(0, 2)), Sq(move.substr(3, 2)), c.promotion), c.san);
    EXPECT_EQ(board.Position(), before);
    EXPECT_TRUE(board.events.empty());
}

const char *const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";
const char *const Castles = "r3k2r/8/8/8/8/8/8/R3K2R";
constexpr CastleSet None{};
const CastleSet All = AllCastlings;
const Square NoEp = Square::None;

const SanCase SanCases[] = {
    {"PawnPush", Start, true, All, NoEp, "E2-E4", 'Q', "e4"},
    {"KnightMove", Start, true, All, NoEp, "G1-F3", 'Q', "Nf3"},
    {"PawnCapture", "4k3/8/8/3p4/4P3/8/8/4K3", true, None, NoEp, "E4-D5", 'Q', "exd5"},
    {"EnPassant", "4k3/8/8/3pP3/8/8/8/4K3", true, None, Square::D6, "E5-D6", 'Q', "exd6"},
    {"EnPassantUncoversCheck", "8/8/8/R1pP3k/8/8/8/4K3", true, None, Square::C6, "D5-C6", 'Q',
     "dxc6+"},
    {"PieceCapture", "r3k3/8/8/8/8/8/8/R3K3", true, None, NoEp, "A1-A8", 'Q', "Rxa8+"},
    {"WhiteShortCastle", Castles, true, All, NoEp, "E1-G1", 'Q', "O-O"},
    {"WhiteLongCastle", Castles, true, All, NoEp, "E1-C1", 'Q', "O-O-O"},
    {"BlackLongCastle", Castles, false, All, NoEp, "E8-C8", 'Q', "O-O-O"},
    {"CastleRookChecks",
     "5k2/8/8/8/8/8/8/4K2R",
     true,
     {CanStillCastle::WhiteKingSide},
     NoEp,
     "E1-G1",
     'Q',
     "O-O+"},
    {"ByFile", "4k3/8/8/8/8/8/8/1N3N1K", true, None, NoEp, "B1-D2", 'Q', "Nbd2"},
    {"ByRank", "4k3/8/8/R7/8/8/8/R6K", true, None, NoEp, "A1-A3", 'Q', "R1a3"},
    {"ByRankOtherRook", "4k3/8/8/R7/8/8/8/R6K", true, None, NoEp, "A5-A3", 'Q', "R5a3"},
    {"ByFileAndRank", "8/8/1k6/8/7Q/8/K7/4Q2Q", true, None, NoEp, "H1-E4", 'Q', "Qh1e4"},
    {"ByRankAmongThree", "8/8/1k6/8/7Q/8/K7/4Q2Q", true, None, NoEp, "H4-E4", 'Q', "Q4e4"},
    {"PinnedRivalNotNamed", "4r1k1/8/8/8/8/8/2N1N3/4K3", true, None, NoEp, "C2-D4", 'Q', "Nd4"},
    {"PromoteQueen", "8/4P2k/8/8/8/8/8/4K3", true, None, NoEp, "E7-E8", 'Q', "e8=Q"},
    {"PromoteRook", "8/4P2k/8/8/8/8/8/4K3", true, None, NoEp, "E7-E8", 'r', "e8=R"},
    {"PromoteBishop", "8/4P2k/8/8/8/8/8/4K3", true, None, NoEp, "E7-E8", 'B', "e8=B"},
    {"PromoteKnightCheck", "8/4P3/5k2/8/8/8/8/4K3", true, None, NoEp, "E7-E8", 'N', "e8=N+"},
    {"CapturePromoteKnightMate", "5rb1/6Pk/6pp/8/8/8/8/B3K3", true, None, NoEp, "G7-F8", 'n',
     "gxf8=N#"},
    {"CapturePromoteQueenQuiet", "5rb1/6Pk/6pp/8/8/8/8/B3K3", true, None, NoEp, "G7-F8", 'Q',
     "gxf8=Q"},
    {"BlackCapturePromoteCheck", "4k3/8/8/8/8/8/1p6/R3K3", false, None, NoEp, "B2-A1", 'q',
     "bxa1=Q+"},
    {"Mate", "rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR", false, All, NoEp, "D8-H4", 'Q',
     "Qh4#"},
    {"StalemateIsNoCheck", "k7/8/1K6/8/8/8/8/2Q5", true, None, NoEp, "C1-C7", 'Q', "Qc7"},
    {"IllegalMove", Start, true, All, NoEp, "E2-E5", 'Q', ""},
    {"KingPromotionRefused", "8/4P2k/8/8/8/8/8/4K3", true, None, NoEp, "E7-E8", 'K', ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, SanOfMoveTest, testing::ValuesIn(SanCases), test_rows::RowName);

// A position seen three times blocks the board's moves, yet its moves still have names.
TEST(SanOfMove, RepeatedPositionStillNamesMoves) {
    TChessRules board;
    ASSERT_TRUE(Play(board, "G1-F3 G8-F6 F3-G1 F6-G8 G1-F3 G8-F6 F3-G1 F6-G8"));
    ASSERT_TRUE(board.IsThreefoldPosition());
    EXPECT_EQ(SanOfMove(board, Square::G1, Square::F3), "Nf3");
}

TEST(IsPromotionMove, OnlyLegalPawnMovesOntoTheLastRank) {
    TChessRules board;
    SetUpBoard(board, "1n2k3/P6P/8/8/8/8/p7/4K3", true);
    EXPECT_TRUE(IsPromotionMove(board, Square::A7, Square::A8));
    EXPECT_TRUE(IsPromotionMove(board, Square::A7, Square::B8)); // by capture
    EXPECT_TRUE(IsPromotionMove(board, Square::H7, Square::H8));
    EXPECT_FALSE(IsPromotionMove(board, Square::A7, Square::A6)); // backwards: illegal
    EXPECT_FALSE(IsPromotionMove(board, Square::E1, Square::E2)); // a king move
    EXPECT_FALSE(IsPromotionMove(board, Square::A2, Square::A1)); // Black's pawn, White to move
    board.SetWhiteToMove(false);
    EXPECT_TRUE(IsPromotionMove(board, Square::A2, Square::A1));
}

struct FenCase {
    const char *name;
    const char *fen;
    bool white;
    CastleSet castling;
    Square enPassant;
    const char *expected;
};

class PositionFenTest : public testing::TestWithParam<FenCase> {};

TEST_P(PositionFenTest, WritesFen) {
    const FenCase &c = GetParam();
    const TPositionState state{Placement(c.fen), c.white, c.castling, c.enPassant};
    EXPECT_EQ(PositionFen(state, 3, 17), c.expected);
}

const FenCase FenCases[] = {
    {"Start", Start, true, All, NoEp, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 3 17"},
    {"BlackToMoveWithEnPassant", "4k3/8/8/8/4P3/8/8/4K3", false, None, Square::E3,
     "4k3/8/8/8/4P3/8/8/4K3 b - e3 3 17"},
    // The board keeps a right after its rook is taken; a FEN must not.
    {"RightWithoutRookLeftOut", "4k2r/8/8/8/8/8/8/R3K3", true, All, NoEp,
     "4k2r/8/8/8/8/8/8/R3K3 w Qk - 3 17"},
};

INSTANTIATE_TEST_SUITE_P(Rows, PositionFenTest, testing::ValuesIn(FenCases), test_rows::RowName);

} // namespace
