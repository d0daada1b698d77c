#include "app/session/MoveText.h"
#include "app/session/ClockMath.h"

#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <string>

namespace {

struct SquareRow {
    const char *name;
    std::string text;
    bool read;
    int file, rank;
};
using test_rows::PrintTo;

class SquareText : public ::testing::TestWithParam<SquareRow> {};

TEST_P(SquareText, ReadsFileAndRank) {
    const auto &row = GetParam();
    int file = -99, rank = -99;
    EXPECT_EQ(StrToFileRank(row.text, file, rank), row.read);
    EXPECT_EQ(file, row.read ? row.file : -99);
    EXPECT_EQ(rank, row.read ? row.rank : -99);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SquareText,
    ::testing::Values(SquareRow{"A1", "A1", true, 1, 1}, SquareRow{"H8", "H8", true, 8, 8},
                      SquareRow{"LowerCase", "e2", true, 5, 2},
                      SquareRow{"FileI", "I1", true, 9, 1}, SquareRow{"FileAt", "@1", true, 0, 1},
                      SquareRow{"Rank9", "A9", true, 1, 9}, SquareRow{"Rank0", "A0", true, 1, 0},
                      SquareRow{"RankLetterIsOffBoard", "AX", true, 1, 0},
                      SquareRow{"RankSpaceIsOffBoard", "A ", true, 1, 0},
                      SquareRow{"HighByte",
                                "\xe9"
                                "1",
                                true, 0xe9 - 64, 1},
                      SquareRow{"OneChar", "A", false, 0, 0},
                      SquareRow{"ThreeChars", "A1B", false, 0, 0},
                      SquareRow{"Empty", "", false, 0, 0}),
    test_rows::RowName);

struct MoveRow {
    const char *name;
    std::string text;
    bool wellFormed, hasTo;
    int fromFile, fromRank, toFile, toRank;
};
class MoveTextRead : public ::testing::TestWithParam<MoveRow> {};

TEST_P(MoveTextRead, SplitsIntoSquares) {
    const auto &row = GetParam();
    const TMoveText got = ReadMoveText(row.text);
    EXPECT_EQ(got.WellFormed, row.wellFormed);
    EXPECT_EQ(got.HasTo, row.hasTo);
    if (row.wellFormed) {
        EXPECT_EQ(got.FromFile, row.fromFile);
        EXPECT_EQ(got.FromRank, row.fromRank);
    }
    if (row.hasTo) {
        EXPECT_EQ(got.ToFile, row.toFile);
        EXPECT_EQ(got.ToRank, row.toRank);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, MoveTextRead,
                         ::testing::Values(MoveRow{"Plain", "E2-E4", true, true, 5, 2, 5, 4},
                                           MoveRow{"LowerCase", "e7-e5", true, true, 5, 7, 5, 5},
                                           MoveRow{"NoDash", "E2E4", false, false, 0, 0, 0, 0},
                                           MoveRow{"Empty", "", false, false, 0, 0, 0, 0},
                                           MoveRow{"TwoChars", "E2", false, false, 0, 0, 0, 0},
                                           MoveRow{"DashOnly", "E2-", true, false, 5, 2, 0, 0},
                                           MoveRow{"ShortTo", "E2-E", true, false, 5, 2, 0, 0},
                                           MoveRow{"LongTo", "E2-E4X", true, false, 5, 2, 0, 0},
                                           MoveRow{"FileBeyondH", "E2-J4", true, true, 5, 2, 10, 4},
                                           MoveRow{"RankNotDigit", "E2-EX", true, true, 5, 2, 5, 0},
                                           MoveRow{"FromRankNotDigit", "E?-E4", true, true, 5, 0, 5,
                                                   4}),
                         test_rows::RowName);

struct ListRow {
    const char *name;
    std::string line, text;
};
class ListLine : public ::testing::TestWithParam<ListRow> {};

TEST_P(ListLine, GivesTheMoveText) {
    EXPECT_EQ(MoveTextFromListLine(GetParam().line), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rows, ListLine,
                         ::testing::Values(ListRow{"White", "1. E2-E4", "E2-E4"},
                                           ListRow{"Black", "              E7-E5", "E7-E5"},
                                           ListRow{"TwoDigitNumber", "10. G1-F3", "G1-F3"},
                                           ListRow{"ThreeDigitNumber", "123. A2-A3", "A2-A3"},
                                           ListRow{"Empty", "", ""},
                                           ListRow{"NeverWritten", "              @9-@9", "@9-@9"}),
                         test_rows::RowName);

struct TickRow {
    const char *name;
    int minutes, seconds, ticks;
    int minutesAfter, secondsAfter;
    bool fell;
    const char *shown;
};
class ClockTicks : public ::testing::TestWithParam<TickRow> {};

TEST_P(ClockTicks, CountsDownAndFallsOnTheRightTick) {
    const auto &row = GetParam();
    int m = row.minutes, s = row.seconds;
    bool fell = false;
    for (int i = 0; i < row.ticks; ++i)
        fell = TickClock(m, s);
    EXPECT_EQ(m, row.minutesAfter);
    EXPECT_EQ(s, row.secondsAfter);
    EXPECT_EQ(fell, row.fell);
    EXPECT_EQ(ClockText(m, s).toStdString(), row.shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, ClockTicks,
                         ::testing::Values(TickRow{"Start", 45, 0, 0, 45, 0, false, "45:0"},
                                           TickRow{"FirstTick", 45, 0, 1, 44, 59, false, "44:59"},
                                           TickRow{"FiveSecondsLeft", 5, 0, 295, 0, 5, false,
                                                   "0:5"},
                                           TickRow{"LastSecond", 5, 0, 300, 0, 0, false, "0:0"},
                                           TickRow{"FlagOn301st", 5, 0, 301, -1, 59, true, "-1:59"},
                                           TickRow{"MidMinute", 3, 30, 31, 2, 59, false, "2:59"}),
                         test_rows::RowName);

} // namespace
