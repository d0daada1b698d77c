#include "tests/rules/RulesTestSupport.h"

#include "board/core/Perft.h"

#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <cstdint>

namespace {

struct PerftCase {
    const char *name;
    const char *fen;
    bool white;
    CastleSet castling;
    std::vector<std::uint64_t> leaves; // depth 1, 2, ...
};

const PerftCase PerftCases[] = {
    {"Start",
     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",
     true,
     AllCastlings,
     {20, 400, 8902, 197281}},
    {"RookEndgame", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8", true, CastleSet{}, {14, 191, 2812, 43238}},
};

class PerftTest : public testing::TestWithParam<PerftCase> {};

TEST_P(PerftTest, CountsMatchPublishedFigures) {
    const PerftCase &c = GetParam();
    TChessRules board;
    SetUpBoard(board, c.fen, c.white, c.castling);
    const std::string start = board.Position();
    for (std::size_t depth = 1; depth <= c.leaves.size(); ++depth) {
        EXPECT_EQ(Perft(board, static_cast<int>(depth)), c.leaves[depth - 1]) << "depth " << depth;
        EXPECT_EQ(board.Position(), start);
        EXPECT_EQ(board.WhiteToMove(), c.white);
        EXPECT_EQ(board.LastMoveNumber, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, PerftTest, testing::ValuesIn(PerftCases), test_rows::RowName);

// At every node the move list must equal the exhaustive 64 x 64 IsLegalMove scan and CanMove must
// agree with it; counts leaves on the way.
std::uint64_t CheckedWalk(TChessRules &board, int depth, int &mismatches) {
    std::vector<std::pair<Square, Square>> scanned;
    for (int from = 1; from <= 64; ++from)
        for (int to = 1; to <= 64; ++to)
            if (board.IsLegalMove(static_cast<Square>(from), static_cast<Square>(to)))
                scanned.emplace_back(static_cast<Square>(from), static_cast<Square>(to));
    if (board.LegalMoves() != scanned || board.CanMove() == scanned.empty())
        ++mismatches;
    if (depth == 0)
        return 1;
    const int number = board.CurrentMove();
    const bool white = board.WhiteToMove();
    std::uint64_t leaves = 0;
    for (const auto &[from, to] : scanned) {
        EXPECT_TRUE(board.MakeMove(from, to));
        leaves += CheckedWalk(board, depth - 1, mismatches);
        EXPECT_TRUE(board.GotoMove(number, white));
    }
    return leaves;
}

TEST(PerftSelfCheck, MoveListAndCanMoveAgreeWithExhaustiveScan) {
    for (const PerftCase &c : PerftCases) {
        TChessRules board;
        SetUpBoard(board, c.fen, c.white, c.castling);
        int mismatches = 0;
        EXPECT_EQ(CheckedWalk(board, 2, mismatches), c.leaves[1]) << c.name;
        EXPECT_EQ(mismatches, 0) << c.name;
    }
    // Positions rich in castling, en passant, promotion and pins.
    const char *const tricky[] = {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R",
                                  "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1"};
    const bool whites[] = {true, true};
    // Promotions count once here, so only the first position has a published figure to compare.
    const std::uint64_t twoPly[] = {2039, 0};
    for (int i = 0; i < 2; ++i) {
        TChessRules board;
        SetUpBoard(board, tricky[i], whites[i],
                   i == 0
                       ? AllCastlings
                       : CastleSet{CanStillCastle::BlackKingSide, CanStillCastle::BlackQueenSide});
        int mismatches = 0;
        const std::uint64_t leaves = CheckedWalk(board, 2, mismatches);
        if (twoPly[i] != 0) {
            EXPECT_EQ(leaves, twoPly[i]) << tricky[i];
        }
        EXPECT_EQ(mismatches, 0) << tricky[i];
    }
}

TEST(PerftDivide, SortedByMoveTextAndSumsToTotal) {
    TChessRules board;
    const auto divide = PerftDivide(board, 2);
    ASSERT_EQ(divide.size(), 20u);
    EXPECT_EQ(divide.front().first, "A2-A3");
    EXPECT_EQ(divide.back().first, "H2-H4");
    std::uint64_t total = 0;
    for (const auto &[text, leaves] : divide) {
        EXPECT_EQ(leaves, 20u) << text;
        total += leaves;
    }
    EXPECT_EQ(total, 400u);
}

} // namespace
