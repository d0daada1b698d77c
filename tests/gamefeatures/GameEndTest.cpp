// How a game's end is judged: the final position first, then what the session saw.
#include "app/session/GameEnd.h"
#include "board/core/ChessRules.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

struct TJudgeRow {
    const char *Name;
    TBoardEnd Board;
    TEndTrigger Trigger;
    TGameOutcome Expected;
};

class JudgeRows : public testing::TestWithParam<TJudgeRow> {};

TEST_P(JudgeRows, GivesHowAndResult) {
    EXPECT_EQ(JudgeGameEnd(GetParam().Board, GetParam().Trigger), GetParam().Expected);
}

constexpr TBoardEnd Playing{};
constexpr TBoardEnd WhiteMated{true, false, true, false, false};
constexpr TBoardEnd BlackMated{false, false, true, false, false};
constexpr TBoardEnd Stalemated{true, false, false, false, false};
constexpr TBoardEnd Repeated{true, true, false, true, false};
constexpr TBoardEnd Kings{false, true, false, false, true};

INSTANTIATE_TEST_SUITE_P(
    Rows, JudgeRows,
    testing::Values(
        // The program that mates sends Resign: the position wins over the word.
        TJudgeRow{"MateOverResign",
                  WhiteMated,
                  TEndTrigger::BlackResigned,
                  {TGameEnd::Checkmate, TGameResult::BlackWins}},
        TJudgeRow{"BlackMated",
                  BlackMated,
                  TEndTrigger::ConnectionLost,
                  {TGameEnd::Checkmate, TGameResult::WhiteWins}},
        TJudgeRow{"Stalemate",
                  Stalemated,
                  TEndTrigger::WhiteResigned,
                  {TGameEnd::Stalemate, TGameResult::Draw}},
        TJudgeRow{"Repetition",
                  Repeated,
                  TEndTrigger::WhiteResigned,
                  {TGameEnd::Repetition, TGameResult::Draw}},
        TJudgeRow{"BareKings",
                  Kings,
                  TEndTrigger::BlackFlagFell,
                  {TGameEnd::BareKings, TGameResult::Draw}},
        TJudgeRow{"WhiteResigns",
                  Playing,
                  TEndTrigger::WhiteResigned,
                  {TGameEnd::Resignation, TGameResult::BlackWins}},
        TJudgeRow{"BlackResigns",
                  Playing,
                  TEndTrigger::BlackResigned,
                  {TGameEnd::Resignation, TGameResult::WhiteWins}},
        TJudgeRow{"WhiteFlag",
                  Playing,
                  TEndTrigger::WhiteFlagFell,
                  {TGameEnd::FlagFall, TGameResult::BlackWins}},
        TJudgeRow{"BlackFlag",
                  Playing,
                  TEndTrigger::BlackFlagFell,
                  {TGameEnd::FlagFall, TGameResult::WhiteWins}},
        TJudgeRow{"ConnectionLost",
                  Playing,
                  TEndTrigger::ConnectionLost,
                  {TGameEnd::ConnectionLost, TGameResult::Unfinished}}),
    test_rows::RowName);

TEST(BoardEnd, ReadsMateAndAPositionStillInPlay) {
    TChessRules board;
    board.SetPosition(TChessRules::StartPosition);
    const auto play = [&](Square from, Square to) { ASSERT_TRUE(board.MakeMove(from, to)); };
    play(Square::F2, Square::F3);
    play(Square::E7, Square::E5);
    play(Square::G2, Square::G4);
    const TBoardEnd before = BoardEndOf(board);
    EXPECT_TRUE(before.CanMove);
    EXPECT_FALSE(before.InCheck);
    play(Square::D8, Square::H4);
    const TBoardEnd mated = BoardEndOf(board);
    EXPECT_TRUE(mated.WhiteToMove);
    EXPECT_FALSE(mated.CanMove);
    EXPECT_TRUE(mated.InCheck);
    EXPECT_FALSE(mated.Repetition || mated.BareKings);
}

struct TResignRow {
    const char *Name;
    bool LocalWhite, LocalToMove;
    int SecondsLeft;
    TEndTrigger Expected;
};

class PeerResign : public testing::TestWithParam<TResignRow> {};

TEST_P(PeerResign, IsTheLocalFlagOnlyOnTheLocalTurnWithTheClockAtItsEnd) {
    const TResignRow &row = GetParam();
    EXPECT_EQ(PeerResignTrigger(row.LocalWhite, row.LocalToMove, row.SecondsLeft), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PeerResign,
    testing::Values(
        TResignRow{"PlentyOfTime", true, true, 300, TEndTrigger::BlackResigned},
        TResignRow{"LocalFlagAsWhite", true, true, FlagMarginSeconds, TEndTrigger::WhiteFlagFell},
        TResignRow{"LocalFlagAsBlack", false, true, 0, TEndTrigger::BlackFlagFell},
        TResignRow{"JustOverTheMargin", false, true, FlagMarginSeconds + 1,
                   TEndTrigger::WhiteResigned},
        TResignRow{"PeersTurnWithLittleTime", true, false, 0, TEndTrigger::BlackResigned}),
    test_rows::RowName);

} // namespace
