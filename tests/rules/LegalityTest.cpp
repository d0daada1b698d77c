#include "tests/rules/RulesTestSupport.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

constexpr CastleSet NoRights{};
const CastleSet AllRights = AllCastlings;

struct LegalCase {
    const char *name;
    const char *fen;
    bool white;
    CastleSet castling;
    Square enPassant;
    const char *from;
    const char *to;
    bool legal;
};

class IsLegalMoveTest : public testing::TestWithParam<LegalCase> {};

TEST_P(IsLegalMoveTest, AnswersAndChangesNothing) {
    const LegalCase &c = GetParam();
    RecordingBoard board;
    SetUpBoard(board, c.fen, c.white, c.castling, c.enPassant);
    const std::string before = board.Position();
    board.paints.clear();
    EXPECT_EQ(board.IsLegalMove(Sq(c.from), Sq(c.to)), c.legal);
    EXPECT_EQ(board.Position(), before);
    EXPECT_TRUE(board.events.empty());
    EXPECT_TRUE(board.paints.empty());
}

const char *const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";
const char *const Castles = "r3k2r/8/8/8/8/8/8/R3K2R";

const LegalCase LegalCases[] = {
    // Start position and basic refusals.
    {"DoubleStep", StartFen, true, AllRights, Square::None, "E2", "E4", true},
    {"KnightOut", StartFen, true, AllRights, Square::None, "G1", "F3", true},
    {"PawnThreeSquares", StartFen, true, AllRights, Square::None, "E2", "E5", false},
    {"KingOntoOwnPawn", StartFen, true, AllRights, Square::None, "E1", "E2", false},
    {"OtherSidesPiece", StartFen, true, AllRights, Square::None, "E7", "E5", false},
    {"EmptyFromSquare", StartFen, true, AllRights, Square::None, "E4", "E5", false},
    {"SameSquare", StartFen, true, AllRights, Square::None, "G1", "G1", false},
    {"OffBoard", StartFen, true, AllRights, Square::None, "E2", "E9", false},
    {"BishopBlocked", StartFen, true, AllRights, Square::None, "C1", "E3", false},
    {"PawnDiagonalToEmpty", StartFen, true, AllRights, Square::None, "E2", "D3", false},
    {"BlackPawnDoubleStep", StartFen, false, AllRights, Square::None, "D7", "D5", true},
    {"DoubleStepJumpsNothing", "4k3/8/8/8/8/4n3/4P3/4K3", true, NoRights, Square::None, "E2", "E4",
     false},
    {"PawnCannotPushIntoPiece", "4k3/8/8/8/4p3/4P3/8/4K3", true, NoRights, Square::None, "E3", "E4",
     false},
    {"PawnBackwards", "4k3/8/8/8/8/4P3/8/4K3", true, NoRights, Square::None, "E3", "E2", false},
    {"PawnCaptures", "4k3/8/8/8/3p4/4P3/8/4K3", true, NoRights, Square::None, "E3", "D4", true},
    {"BlackPawnCaptures", "4k3/8/8/8/3p4/4P3/8/4K3", false, NoRights, Square::None, "D4", "E3",
     true},
    {"RookThroughPiece", "4k3/8/8/8/R2p4/8/8/4K3", true, NoRights, Square::None, "A4", "H4", false},
    {"RookTakesBlocker", "4k3/8/8/8/R2p4/8/8/4K3", true, NoRights, Square::None, "A4", "D4", true},
    {"QueenDiagonal", "4k3/8/8/8/8/8/8/Q3K3", true, NoRights, Square::None, "A1", "H8", true},
    {"QueenKnightJump", "4k3/8/8/8/8/8/8/Q3K3", true, NoRights, Square::None, "A1", "B3", false},
    // Pins and moving into attack.
    {"PinnedBishop", "4k3/4r3/8/8/8/8/4B3/4K3", true, NoRights, Square::None, "E2", "D3", false},
    {"PinnedRookAlongPin", "4k3/4r3/8/8/8/8/4R3/4K3", true, NoRights, Square::None, "E2", "E7",
     true},
    {"PinnedRookOffPin", "4k3/4r3/8/8/8/8/4R3/4K3", true, NoRights, Square::None, "E2", "D2",
     false},
    {"KingNextToKing", "8/8/8/3k4/8/3K4/8/8", true, NoRights, Square::None, "D3", "D4", false},
    {"KingDiagonalToKing", "8/8/8/3k4/8/3K4/8/8", true, NoRights, Square::None, "D3", "E4", false},
    {"KingAwayFromKing", "8/8/8/3k4/8/3K4/8/8", true, NoRights, Square::None, "D3", "C3", true},
    {"KingIntoPawnAttack", "7k/8/8/8/3p4/8/4K3/8", true, NoRights, Square::None, "E2", "E3", false},
    {"KingBesidePawn", "7k/8/8/8/3p4/8/4K3/8", true, NoRights, Square::None, "E2", "D3", true},
    {"KingIntoKnightAttack", "8/8/8/8/8/5n2/8/4K2k", true, NoRights, Square::None, "E1", "D2",
     false},
    {"KingOutOfKnightCheck", "8/8/8/8/8/5n2/8/4K2k", true, NoRights, Square::None, "E1", "F2",
     true},
    {"KingAlongCheckingRay", "4k3/8/8/8/8/8/8/r3K3", true, NoRights, Square::None, "E1", "F1",
     false},
    {"IgnoresCheckOtherMove", "4k3/8/8/8/8/8/P7/r3K3", true, NoRights, Square::None, "A2", "A3",
     false},
    {"BlockCheck", "4k3/8/8/8/8/8/1R6/r3K3", true, NoRights, Square::None, "B2", "B1", true},
    // Castling conditions.
    {"WhiteKingSide", Castles, true, AllRights, Square::None, "E1", "G1", true},
    {"WhiteQueenSide", Castles, true, AllRights, Square::None, "E1", "C1", true},
    {"BlackKingSide", Castles, false, AllRights, Square::None, "E8", "G8", true},
    {"BlackQueenSide", Castles, false, AllRights, Square::None, "E8", "C8", true},
    {"RightCleared", Castles, true, CastleSet{CanStillCastle::WhiteQueenSide}, Square::None, "E1",
     "G1", false},
    {"OtherRightKept", Castles, true, CastleSet{CanStillCastle::WhiteQueenSide}, Square::None, "E1",
     "C1", true},
    {"BlackRightCleared", Castles, false, CastleSet{CanStillCastle::BlackKingSide}, Square::None,
     "E8", "C8", false},
    {"WhileInCheck", "4k3/4r3/8/8/8/8/8/R3K2R", true, AllRights, Square::None, "E1", "G1", false},
    {"QueenSideWhileInCheck", "4k3/4r3/8/8/8/8/8/R3K2R", true, AllRights, Square::None, "E1", "C1",
     false},
    {"CrossingAttacked", "4k3/5r2/8/8/8/8/8/R3K2R", true, AllRights, Square::None, "E1", "G1",
     false},
    {"CrossingAttackedOtherSideFine", "4k3/5r2/8/8/8/8/8/R3K2R", true, AllRights, Square::None,
     "E1", "C1", true},
    {"LandingAttacked", "4k3/6r1/8/8/8/8/8/R3K2R", true, AllRights, Square::None, "E1", "G1",
     false},
    {"QueenSideCrossingAttacked", "4k3/3r4/8/8/8/8/8/R3K2R", true, AllRights, Square::None, "E1",
     "C1", false},
    {"BOneAttackedIsFine", "4k3/1r6/8/8/8/8/8/R3K2R", true, AllRights, Square::None, "E1", "C1",
     true},
    {"BEightAttackedIsFine", "r3k2r/8/8/8/8/8/1R6/4K3", false, AllRights, Square::None, "E8", "C8",
     true},
    {"BOneOccupied", "4k3/8/8/8/8/8/8/RN2K2R", true, AllRights, Square::None, "E1", "C1", false},
    {"FOneOccupied", "4k3/8/8/8/8/8/8/R3KB1R", true, AllRights, Square::None, "E1", "G1", false},
    {"NoRookOnCorner", "4k3/8/8/8/8/8/8/R3K3", true, AllRights, Square::None, "E1", "G1", false},
    {"EnemyRookOnCorner", "4k3/8/8/8/8/8/8/R3K2r", true, AllRights, Square::None, "E1", "G1",
     false},
    {"BlackCrossingAttackedByBishop", "r3k2r/8/8/8/8/B7/8/4K3", false, AllRights, Square::None,
     "E8", "G8", false},
    {"BlackOtherSideFine", "r3k2r/8/8/8/8/B7/8/4K3", false, AllRights, Square::None, "E8", "C8",
     true},
    {"KingTwoSquaresElsewhere", "4k3/8/8/8/8/8/8/R2K3R", true, AllRights, Square::None, "D1", "F1",
     false},
    // En passant, both ways; judged with the captured pawn gone.
    {"WhiteTakesEnPassant", "4k3/8/8/3pP3/8/8/8/4K3", true, NoRights, Square::D6, "E5", "D6", true},
    {"WhiteNeedsTheSquare", "4k3/8/8/3pP3/8/8/8/4K3", true, NoRights, Square::None, "E5", "D6",
     false},
    {"WhiteWrongFile", "4k3/8/8/3pP3/8/8/8/4K3", true, NoRights, Square::D6, "E5", "F6", false},
    {"BlackTakesEnPassant", "4k3/8/8/8/3Pp3/8/8/4K3", false, NoRights, Square::D3, "E4", "D3",
     true},
    {"BlackNeedsTheSquare", "4k3/8/8/8/3Pp3/8/8/4K3", false, NoRights, Square::None, "E4", "D3",
     false},
    {"WhiteExposesKingOnRank", "8/8/8/K2pP2r/8/8/8/7k", true, NoRights, Square::D6, "E5", "D6",
     false},
    {"WhitePushStillShields", "8/8/8/K2pP2r/8/8/8/7k", true, NoRights, Square::D6, "E5", "E6",
     true},
    {"BlackExposesKingOnRank", "7K/8/8/8/k2Pp2R/8/8/8", false, NoRights, Square::D3, "E4", "D3",
     false},
    {"WhiteTakesCheckingPawn", "4k3/8/8/2Pp4/4K3/8/8/8", true, NoRights, Square::D6, "C5", "D6",
     true},
    {"BlackTakesCheckingPawn", "8/8/8/4k3/3Pp3/8/8/4K3", false, NoRights, Square::D3, "E4", "D3",
     true},
    // Missing kings.
    {"NoBlackKingBlackCannotMove", "r7/8/8/8/8/8/8/4K3", false, NoRights, Square::None, "A8", "A1",
     false},
    {"NoWhiteKingMovementOnly", "4k3/8/8/8/8/8/8/R7", true, NoRights, Square::None, "A1", "A8",
     true},
    {"NoWhiteKingStillNeedsRule", "4k3/8/8/8/8/8/8/R7", true, NoRights, Square::None, "A1", "B3",
     false},
};

INSTANTIATE_TEST_SUITE_P(ByPiece, IsLegalMoveTest, testing::ValuesIn(LegalCases),
                         test_rows::RowName);

// Every position of the table: the move list and CanMove must agree with all 64 x 64 IsLegalMove
// answers.
TEST(LegalMoves, MatchExhaustiveScanOnEveryTablePosition) {
    for (const LegalCase &c : LegalCases) {
        TChessRules board;
        SetUpBoard(board, c.fen, c.white, c.castling, c.enPassant);
        std::vector<std::pair<Square, Square>> scanned;
        for (int from = 1; from <= 64; ++from)
            for (int to = 1; to <= 64; ++to)
                if (board.IsLegalMove(static_cast<Square>(from), static_cast<Square>(to)))
                    scanned.emplace_back(static_cast<Square>(from), static_cast<Square>(to));
        EXPECT_EQ(board.LegalMoves(), scanned) << c.name;
        EXPECT_EQ(board.CanMove(), !scanned.empty()) << c.name;
    }
}

TEST(LegalMoves, StartPositionHasTwenty) {
    TChessRules board;
    EXPECT_EQ(board.LegalMoves().size(), 20u);
    EXPECT_TRUE(board.CanMove());
}

struct AttackCase {
    const char *name;
    const char *fen;
    bool whiteKing;
    bool attacked;
};

class KingAttackTest : public testing::TestWithParam<AttackCase> {};

TEST_P(KingAttackTest, SeesAttackersOnUnchangedBoard) {
    const AttackCase &c = GetParam();
    TChessRules board;
    SetUpBoard(board, c.fen, true);
    const bool answer = c.whiteKing ? board.WhiteInCheckAfter(Square::A1, Square::A1)
                                    : board.BlackInCheckAfter(Square::A1, Square::A1);
    EXPECT_EQ(answer, c.attacked);
}

const AttackCase AttackCases[] = {
    {"WhitePawnBelowLeft", "8/8/8/4k3/3P4/8/8/8", false, true},
    {"WhitePawnBelowRight", "8/8/8/4k3/5P2/8/8/8", false, true},
    {"WhitePawnAbove", "8/8/3P4/4k3/8/8/8/8", false, false},
    {"WhitePawnInFront", "8/8/8/4k3/4P3/8/8/8", false, false},
    {"BlackPawnAboveAttacksWhiteKing", "8/8/8/3p4/4K3/8/8/8", true, true},
    {"BlackPawnBelowDoesNot", "8/8/8/8/4K3/3p4/8/8", true, false},
    {"Knight", "8/8/8/4k3/8/5N2/8/8", false, true},
    {"KnightNotAttacking", "8/8/8/4k3/5N2/8/8/8", false, false},
    {"BishopFar", "8/8/8/4k3/8/8/1B6/8", false, true},
    {"BishopBlocked", "8/8/8/4k3/8/2n5/1B6/8", false, false},
    {"BishopOnStraight", "8/8/8/4k3/8/8/4B3/8", false, false},
    {"RookFile", "8/8/8/4k3/8/8/8/4R3", false, true},
    {"RookBlocked", "8/8/8/4k3/8/4n3/8/4R3", false, false},
    {"RookOnDiagonal", "8/8/8/4k3/8/8/8/R7", false, false},
    {"QueenRank", "8/8/8/Q3k3/8/8/8/8", false, true},
    {"QueenDiagonal", "7Q/8/8/4k3/8/8/8/8", false, true},
    {"KingAdjacentDiagonal", "8/8/8/4k3/3K4/8/8/8", false, true},
    {"KingAdjacentFile", "8/8/8/4k3/4K3/8/8/8", false, true},
    {"KingTwoAway", "8/8/8/4k3/8/4K3/8/8", false, false},
    {"OwnRook", "8/8/8/4k3/8/8/8/4r3", false, false},
    {"BlackRookOnWhiteKing", "8/8/8/8/8/8/8/r3K3", true, true},
    {"BlackKnightOnWhiteKing", "8/8/8/8/8/3n4/8/4K3", true, true},
    {"NoBlackKingCountsAttacked", "8/8/8/8/8/8/8/4K3", false, true},
    {"NoWhiteKingCountsSafe", "8/8/8/8/8/8/8/4k2r", true, false},
    {"EdgeDoesNotWrap", "8/8/8/8/8/8/7k/R7", false, false},
    {"KnightDoesNotWrap", "8/8/8/8/8/7k/8/1N6", false, false},
    {"PawnDoesNotWrap", "8/8/8/7k/P7/8/8/8", false, false},
};

INSTANTIATE_TEST_SUITE_P(Attackers, KingAttackTest, testing::ValuesIn(AttackCases),
                         test_rows::RowName);

TEST(KingAttack, TrialRelocatesTheMovingPieceOnly) {
    TChessRules board;
    SetUpBoard(board, "4k3/8/8/8/8/8/4R3/4K3", true);
    EXPECT_TRUE(board.BlackInCheckAfter(Square::E2, Square::E4));
    EXPECT_FALSE(board.BlackInCheckAfter(Square::E2, Square::D2));
    EXPECT_TRUE(board.WhiteInCheckAfter(Square::E1, Square::E1) == false);
    // The movement rule alone accepts a move that the pin forbids.
    SetUpBoard(board, "4k3/4r3/8/8/8/8/4B3/4K3", true);
    EXPECT_TRUE(board.ValidBishopMove(Square::E2, Square::D3));
    EXPECT_TRUE(board.WhiteInCheckAfter(Square::E2, Square::D3));
}

} // namespace

namespace {

// Squares off the board (None, or a value past H1) never pass a movement rule and never index the
// board.
TEST(OffBoard, RulesRefuseSquaresOutsideTheBoard) {
    RecordingBoard board;
    SetUpBoard(board, "4k3/8/8/8/8/8/8/QN2K3", true);
    const Square outside[] = {Square::None, static_cast<Square>(65), static_cast<Square>(255)};
    for (Square off : outside) {
        for (Square on : {Square::A8, Square::A7, Square::B7, Square::A1, Square::B1}) {
            for (const auto &[from, to] : {std::pair{off, on}, std::pair{on, off}}) {
                EXPECT_FALSE(board.IsLegalMove(from, to)) << Ord(from) << "-" << Ord(to);
                EXPECT_FALSE(board.MakeMove(from, to));
                EXPECT_FALSE(board.ValidKnightMove(from, to)) << Ord(from) << "-" << Ord(to);
                EXPECT_FALSE(board.ValidQueenMove(from, to)) << Ord(from) << "-" << Ord(to);
                EXPECT_FALSE(board.ValidKingMove(from, to)) << Ord(from) << "-" << Ord(to);
                EXPECT_FALSE(board.ValidPawnMove(from, to)) << Ord(from) << "-" << Ord(to);
            }
        }
        EXPECT_EQ(board.PieceAt(off), ' ');
        EXPECT_EQ(board.PieceColor(off), ColorNone);
        board.PromotePawn(off);
    }
    EXPECT_EQ(board.Position(), Placement("4k3/8/8/8/8/8/8/QN2K3"));
    EXPECT_TRUE(board.events.empty());
}

} // namespace
