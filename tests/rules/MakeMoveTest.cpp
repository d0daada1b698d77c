#include "tests/rules/RulesTestSupport.h"

#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <stdexcept>

namespace {

using Events = std::vector<std::string>;

struct MoveCase {
    const char *name;
    const char *fen;
    bool white;
    CastleSet castling;
    Square enPassant;
    const char *before; // played first, not recorded
    const char *moves;  // recorded
    char promoteTo;
    Events events;
    const char *fenAfter; // nullptr: not checked
    int castlingAfter;    // -1: not checked
};

class MakeMoveEventsTest : public testing::TestWithParam<MoveCase> {};

TEST_P(MakeMoveEventsTest, FiresExactlyTheseEventsInOrder) {
    const MoveCase &c = GetParam();
    RecordingBoard board;
    SetUpBoard(board, c.fen, c.white, c.castling, c.enPassant);
    ASSERT_TRUE(Play(board, c.before));
    board.events.clear();
    board.promoteTo = c.promoteTo;
    ASSERT_TRUE(Play(board, c.moves));
    EXPECT_EQ(board.events, c.events);
    if (c.fenAfter != nullptr) {
        EXPECT_EQ(board.Position(), Placement(c.fenAfter));
    }
    if (c.castlingAfter >= 0) {
        EXPECT_EQ(board.CastlingAllowed().Bits(), c.castlingAfter);
    }
}

const char *const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";
const char *const Castles = "r3k2r/8/8/8/8/8/8/R3K2R";
constexpr CastleSet NoRights{};
const CastleSet AllRights = AllCastlings;
constexpr CastleSet WhiteShort{CanStillCastle::WhiteKingSide};

const MoveCase MoveCases[] = {
    {"QuietMove",
     StartFen,
     true,
     AllRights,
     Square::None,
     "",
     "E2-E4",
     0,
     {"Legal E2-E4"},
     "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR",
     15},
    {"Capture",
     "4k3/8/8/3p4/4P3/8/8/4K3",
     true,
     NoRights,
     Square::None,
     "",
     "E4-D5",
     0,
     {"Legal E4-D5", "Capture E4-D5 p"},
     "4k3/8/8/3P4/8/8/8/4K3",
     0},
    {"CapturePromotes",
     "r7/1P6/8/7k/8/8/8/4K3",
     true,
     NoRights,
     Square::None,
     "",
     "B7-A8",
     0,
     {"Legal B7-A8", "Capture B7-A8 r", "Promotion B7-A8 q"},
     "Q7/8/8/7k/8/8/8/4K3",
     -1},
    {"HandlerPicksKnight",
     "8/4P2k/8/8/8/8/8/4K3",
     true,
     NoRights,
     Square::None,
     "",
     "E7-E8",
     'n',
     {"Legal E7-E8", "Promotion E7-E8 q"},
     "4N3/7k/8/8/8/8/8/4K3",
     -1},
    {"BlackPromotesLowerCase",
     "4k3/8/8/8/8/8/p7/4K3",
     false,
     NoRights,
     Square::None,
     "",
     "A2-A1",
     'n',
     {"Legal A2-A1", "Promotion A2-A1 q"},
     "4k3/8/8/8/8/8/8/n3K3",
     -1},
    {"LaterPromotionKeepsHandlersPiece",
     "4k3/P7/8/8/8/8/7p/4K3",
     true,
     NoRights,
     Square::None,
     "",
     "A7-A8 H2-H1",
     'b',
     {"Legal A7-A8", "Promotion A7-A8 q", "Legal H2-H1", "Promotion H2-H1 b"},
     "B3k3/8/8/8/8/8/8/4K2b",
     -1},
    {"PromotedKnightChecks",
     "8/4P3/5k2/8/8/8/8/4K3",
     true,
     NoRights,
     Square::None,
     "",
     "E7-E8",
     'n',
     {"Legal E7-E8", "Promotion E7-E8 q", "Check E7-E8"},
     "4N3/8/5k2/8/8/8/8/4K3",
     -1},
    {"PromotedQueenChecks",
     "3rk3/4P3/8/8/8/8/8/4K3",
     true,
     NoRights,
     Square::None,
     "",
     "E7-D8",
     0,
     {"Legal E7-D8", "Capture E7-D8 r", "Promotion E7-D8 q", "Check E7-D8"},
     "3Qk3/8/8/8/8/8/8/4K3",
     -1},
    {"WhiteEnPassant",
     "4k3/3p4/8/4P3/8/8/8/4K3",
     false,
     NoRights,
     Square::None,
     "D7-D5",
     "E5-D6",
     0,
     {"Legal E5-D6", "Capture E5-D6 p"},
     "4k3/8/3P4/8/8/8/8/4K3",
     -1},
    {"BlackEnPassant",
     "4k3/8/8/8/3p4/8/4P3/4K3",
     true,
     NoRights,
     Square::None,
     "E2-E4",
     "D4-E3",
     0,
     {"Legal D4-E3", "Capture D4-E3 P"},
     "4k3/8/8/8/8/4p3/8/4K3",
     -1},
    {"EnPassantUncoversCheck",
     "4K3/8/8/R2pP2k/8/8/8/8",
     true,
     NoRights,
     Square::D6,
     "",
     "E5-D6",
     0,
     {"Legal E5-D6", "Capture E5-D6 p", "Check E5-D6"},
     "4K3/8/3P4/R6k/8/8/8/8",
     -1},
    {"WhiteKingSideCastle",
     Castles,
     true,
     AllRights,
     Square::None,
     "",
     "E1-G1",
     0,
     {"Legal E1-G1", "Castle E1-G1"},
     "r3k2r/8/8/8/8/8/8/R4RK1",
     12},
    {"WhiteQueenSideCastle",
     Castles,
     true,
     AllRights,
     Square::None,
     "",
     "E1-C1",
     0,
     {"Legal E1-C1", "Castle E1-C1"},
     "r3k2r/8/8/8/8/8/8/2KR3R",
     12},
    {"BlackKingSideCastle",
     Castles,
     false,
     AllRights,
     Square::None,
     "",
     "E8-G8",
     0,
     {"Legal E8-G8", "Castle E8-G8"},
     "r4rk1/8/8/8/8/8/8/R3K2R",
     3},
    {"BlackQueenSideCastle",
     Castles,
     false,
     AllRights,
     Square::None,
     "",
     "E8-C8",
     0,
     {"Legal E8-C8", "Castle E8-C8"},
     "2kr3r/8/8/8/8/8/8/R3K2R",
     3},
    {"CastlingRookChecks",
     "5k2/8/8/8/8/8/8/4K2R",
     true,
     WhiteShort,
     Square::None,
     "",
     "E1-G1",
     0,
     {"Legal E1-G1", "Castle E1-G1", "Check E1-G1"},
     nullptr,
     0},
    {"CastlingRookMates",
     "4rkr1/4p1p1/8/8/8/8/8/4K2R",
     true,
     WhiteShort,
     Square::None,
     "",
     "E1-G1",
     0,
     {"Legal E1-G1", "Castle E1-G1", "Check E1-G1", "Mate E1-G1"},
     nullptr,
     0},
    {"KingRookMoveClearsOneRight",
     Castles,
     true,
     AllRights,
     Square::None,
     "",
     "H1-H2",
     0,
     {"Legal H1-H2"},
     nullptr,
     14},
    {"QueenRookMoveClearsOneRight",
     Castles,
     false,
     AllRights,
     Square::None,
     "",
     "A8-A7",
     0,
     {"Legal A8-A7"},
     nullptr,
     7},
    {"KingStepClearsBoth",
     Castles,
     true,
     AllRights,
     Square::None,
     "",
     "E1-F1",
     0,
     {"Legal E1-F1"},
     nullptr,
     12},
    {"RookCapturedOnCornerKeepsRight",
     Castles,
     true,
     AllRights,
     Square::None,
     "",
     "H1-H8",
     0,
     {"Legal H1-H8", "Capture H1-H8 r", "Check H1-H8"},
     nullptr,
     14},
    {"Check",
     "4k3/8/8/8/8/8/8/R3K3",
     true,
     NoRights,
     Square::None,
     "",
     "A1-A8",
     0,
     {"Legal A1-A8", "Check A1-A8"},
     nullptr,
     -1},
    {"Mate",
     "6k1/5ppp/8/8/8/8/8/R3K3",
     true,
     NoRights,
     Square::None,
     "",
     "A1-A8",
     0,
     {"Legal A1-A8", "Check A1-A8", "Mate A1-A8"},
     nullptr,
     -1},
    {"StaleMate",
     "k7/8/8/1Q6/8/8/8/4K3",
     true,
     NoRights,
     Square::None,
     "",
     "B5-B6",
     0,
     {"Legal B5-B6", "StaleMate B5-B6"},
     nullptr,
     -1},
    {"BareKingsEveryMove",
     "4k3/8/8/8/8/8/3q4/4K3",
     true,
     NoRights,
     Square::None,
     "",
     "E1-D2 E8-E7",
     0,
     {"Legal E1-D2", "Capture E1-D2 q", "TwoKings", "Legal E8-E7", "TwoKings"},
     "8/4k3/8/8/8/8/3K4/8",
     -1},
    {"NoBlackKingEveryMoveMates",
     "8/8/8/8/8/8/8/R3K3",
     true,
     NoRights,
     Square::None,
     "",
     "A1-A2",
     0,
     {"Legal A1-A2", "Check A1-A2", "Mate A1-A2"},
     nullptr,
     -1},
    {"Threefold",
     StartFen,
     true,
     AllRights,
     Square::None,
     "G1-F3 G8-F6 F3-G1 F6-G8 G1-F3 G8-F6 F3-G1",
     "F6-G8",
     0,
     {"Legal F6-G8", "Threefold"},
     StartFen,
     15},
};

INSTANTIATE_TEST_SUITE_P(Sequences, MakeMoveEventsTest, testing::ValuesIn(MoveCases),
                         test_rows::RowName);

struct PaintCase {
    const char *name;
    const char *fen;
    bool white;
    CastleSet castling;
    Square enPassant;
    const char *move;
    Events paints;
};

class MakeMovePaintTest : public testing::TestWithParam<PaintCase> {};

TEST_P(MakeMovePaintTest, RepaintsChangedSquaresInStepOrder) {
    const PaintCase &c = GetParam();
    RecordingBoard board;
    SetUpBoard(board, c.fen, c.white, c.castling, c.enPassant);
    board.paints.clear();
    ASSERT_TRUE(Play(board, c.move));
    EXPECT_EQ(board.paints, c.paints);
}

const PaintCase PaintCases[] = {
    {"Quiet",
     StartFen,
     true,
     AllRights,
     Square::None,
     "E2-E4",
     {"Square E2", "Square E4", "Piece E4 P"}},
    {"Castle",
     Castles,
     true,
     AllRights,
     Square::None,
     "E1-G1",
     {"Square E1", "Square G1", "Piece G1 K", "Square H1", "Piece F1 R"}},
    {"BlackCastle",
     Castles,
     false,
     AllRights,
     Square::None,
     "E8-C8",
     {"Square E8", "Square C8", "Piece C8 k", "Square A8", "Piece D8 r"}},
    {"EnPassant",
     "4k3/8/8/3pP3/8/8/8/4K3",
     true,
     NoRights,
     Square::D6,
     "E5-D6",
     {"Square E5", "Square D6", "Piece D6 P", "Square D5"}},
    {"Promotion",
     "8/4P2k/8/8/8/8/8/4K3",
     true,
     NoRights,
     Square::None,
     "E7-E8",
     {"Square E7", "Square E8", "Piece E8 P", "Square E8", "Piece E8 Q"}},
};

INSTANTIATE_TEST_SUITE_P(Repaints, MakeMovePaintTest, testing::ValuesIn(PaintCases),
                         test_rows::RowName);

struct RefusedCase {
    const char *name;
    const char *before;
    const char *from;
    const char *to;
};

class RefusedMoveTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedMoveTest, ChangesNothingAndStaysSilent) {
    const RefusedCase &c = GetParam();
    RecordingBoard board;
    ASSERT_TRUE(Play(board, c.before));
    board.events.clear();
    board.paints.clear();
    const std::string position = board.Position();
    const auto list = board.GetMoveList();
    const int move = board.CurrentMove();
    const bool white = board.WhiteToMove();
    const Square enPassant = board.EnPassant();
    EXPECT_FALSE(board.MakeMove(Sq(c.from), Sq(c.to)));
    EXPECT_EQ(board.Position(), position);
    EXPECT_EQ(board.GetMoveList(), list);
    EXPECT_EQ(board.CurrentMove(), move);
    EXPECT_EQ(board.WhiteToMove(), white);
    EXPECT_EQ(board.EnPassant(), enPassant);
    EXPECT_TRUE(board.events.empty());
    EXPECT_TRUE(board.paints.empty());
}

const RefusedCase RefusedCases[] = {
    {"TooFar", "", "E2", "E5"},
    {"WrongSide", "", "E7", "E5"},
    {"EmptySquare", "", "E4", "E5"},
    {"NoneSquare", "", "--", "E4"},
    {"Blocked", "", "A1", "A3"},
    {"WhiteAgainAfterWhite", "E2-E4", "D2", "D4"},
    {"AfterThreefold", "G1-F3 G8-F6 F3-G1 F6-G8 G1-F3 G8-F6 F3-G1 F6-G8", "E2", "E4"},
};

INSTANTIATE_TEST_SUITE_P(Refusals, RefusedMoveTest, testing::ValuesIn(RefusedCases),
                         test_rows::RowName);

TEST(MakeMove, EnPassantSquareFollowsDoubleSteps) {
    TChessRules board;
    ASSERT_TRUE(Play(board, "E2-E4"));
    EXPECT_EQ(board.EnPassant(), Square::E3);
    EXPECT_FALSE(board.WhiteToMove());
    EXPECT_EQ(board.CurrentMove(), 1);
    ASSERT_TRUE(Play(board, "E7-E5"));
    EXPECT_EQ(board.EnPassant(), Square::E6);
    EXPECT_EQ(board.CurrentMove(), 2);
    ASSERT_TRUE(Play(board, "G1-F3"));
    EXPECT_EQ(board.EnPassant(), Square::None);
    ASSERT_TRUE(Play(board, "D7-D5"));
    EXPECT_EQ(board.EnPassant(), Square::D6);
}

TEST(MakeMove, CastlingReturnsWhenOtherRookReachesCorner) {
    TChessRules board;
    SetUpBoard(board, "r3k2r/8/8/8/8/8/8/4K2R", false, AllCastlings);
    ASSERT_TRUE(Play(board, "H8-H2 H1-H2"));
    EXPECT_TRUE(board.CastlingAllowed().contains(CanStillCastle::BlackQueenSide));
    EXPECT_FALSE(board.CastlingAllowed().contains(CanStillCastle::BlackKingSide));
    SetUpBoard(board, "r3k2r/8/8/8/8/8/7R/4K3", true, AllCastlings);
    ASSERT_TRUE(Play(board, "H2-H8"));
    EXPECT_TRUE(board.CastlingAllowed().contains(CanStillCastle::BlackKingSide));
    EXPECT_FALSE(board.IsLegalMove(Square::E8, Square::G8)) << "no black rook on H8";
    SetUpBoard(board, "r3k3/8/8/8/8/8/8/4K3", false, AllCastlings);
    ASSERT_TRUE(Play(board, "A8-A7 E1-D1 A7-H7 D1-E1 H7-H8 E1-D1"));
    EXPECT_TRUE(board.IsLegalMove(Square::E8, Square::G8))
        << "the other rook on H8 with the right kept";
}

TEST(MakeMove, HandlersSeeTheBoardMidMove) {
    TChessRules board;
    SetUpBoard(board, "4k3/8/8/3pP3/8/8/8/4K3", true, {}, Square::D6);
    std::vector<std::string> seen;
    board.OnLegalMove = [&](TObject *, Square, Square) {
        seen.push_back(
            std::string("white=") + (board.WhiteToMove() ? "1" : "0") +
            " move=" + std::to_string(board.CurrentMove()) + " ep=" + Name(board.EnPassant()) +
            " d6=" + board.PieceAt(Square::D6) + " d5=" + board.PieceAt(Square::D5) +
            " last=" + std::to_string(board.LastMoveNumber) + (board.LastWhiteToMove ? "W" : "B"));
    };
    board.OnCapture = [&](TObject *, Square, Square, char piece) {
        seen.push_back(std::string("capture ") + piece + " d5=" + board.PieceAt(Square::D5));
    };
    ASSERT_TRUE(board.MakeMove(Square::E5, Square::D6));
    EXPECT_EQ(seen, (std::vector<std::string>{"white=0 move=1 ep=D6 d6=P d5=p last=1W",
                                              "capture p d5=p"}));
    EXPECT_EQ(board.PieceAt(Square::D5), ' ');
    EXPECT_EQ(board.LastMoveNumber, 1);
    EXPECT_FALSE(board.LastWhiteToMove);
}

TEST(MakeMove, NestedMoveFromHandlerIsRefused) {
    RecordingBoard board;
    std::vector<bool> nested;
    // Both nested moves would be legal escapes from the check if they were played.
    board.OnCheck = [&](TObject *, Square, Square) {
        nested.push_back(board.MakeMove(Square::E8, Square::E7));
    };
    board.OnLegalMove = [&](TObject *, Square, Square) {
        nested.push_back(board.MakeMove(Square::E8, Square::D7));
    };
    SetUpBoard(board, "4k3/8/8/8/8/8/8/R3K3", true);
    ASSERT_TRUE(board.MakeMove(Square::A1, Square::A8));
    EXPECT_EQ(nested, (std::vector<bool>{false, false}));
    EXPECT_EQ(board.Position(), Placement("R3k3/8/8/8/8/8/8/4K3"));
    EXPECT_FALSE(board.WhiteToMove());
    EXPECT_EQ(board.GetMoveList(), (std::vector<std::string>{"1. A1-A8", "              @9-@9"}));
    board.OnLegalMove = nullptr;
    board.OnCheck = nullptr;
    EXPECT_TRUE(board.MakeMove(Square::E8, Square::D7)) << "the guard ends with the move";
}

TEST(MakeMove, HandlerExceptionReleasesTheGuard) {
    TChessRules board;
    board.OnLegalMove = [](TObject *, Square, Square) {
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(board.MakeMove(Square::E2, Square::E4), std::runtime_error);
    board.OnLegalMove = nullptr;
    EXPECT_TRUE(board.MakeMove(Square::E7, Square::E5));
}

} // namespace
