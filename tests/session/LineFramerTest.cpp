#include "app/session/LineFramer.h"

#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Feeds the chunks one after another and collects every line in order.
Lines FeedAll(TLineFramer &framer, const std::vector<std::string> &chunks) {
    Lines all;
    for (const auto &chunk : chunks)
        for (auto &line : framer.Feed(chunk))
            all.push_back(std::move(line));
    return all;
}

struct FramingRow {
    const char *name;
    std::vector<std::string> chunks;
    Lines expected;
    std::size_t pendingAfter;
};
using test_rows::PrintTo;

class Framing : public ::testing::TestWithParam<FramingRow> {};

TEST_P(Framing, CutsLinesWhateverTheSplit) {
    TLineFramer framer;
    EXPECT_EQ(FeedAll(framer, GetParam().chunks), GetParam().expected);
    EXPECT_EQ(framer.Pending(), GetParam().pendingAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Framing,
    ::testing::Values(
        FramingRow{"OneLine", {"abc\n"}, {"abc"}, 0},
        FramingRow{"TwoLinesOneRead",
                   {"Morvanti-CTR-45\nMorvanti-CTR-New\n"},
                   {"Morvanti-CTR-45", "Morvanti-CTR-New"},
                   0},
        FramingRow{"LineSplitInTwo", {"Morvanti-MOV-E2", "-E4\n"}, {"Morvanti-MOV-E2-E4"}, 0},
        FramingRow{"FeedArrivesAlone", {"abc", "\n"}, {"abc"}, 0},
        FramingRow{"TailKeptForNextRead", {"a\nbc"}, {"a"}, 2},
        FramingRow{"TailCompletedLater", {"a\nbc", "d\ne\n"}, {"a", "bcd", "e"}, 0},
        FramingRow{"EmptyLines", {"\n\n"}, {"", ""}, 0},
        FramingRow{"CarriageReturnKept", {"x\r\n"}, {"x\r"}, 0},
        FramingRow{"NoFeedNoLine", {"abc"}, {}, 3},
        FramingRow{"NulBytesInside", {std::string("a\0b\n", 4)}, {std::string("a\0b", 3)}, 0},
        FramingRow{"EmptyRead", {""}, {}, 0}),
    test_rows::RowName);

TEST(Framing, ByteByByteGivesTheSameLines) {
    const std::string text = "Morvanti-TXT-hello\nMorvanti-CTR-45\nMorvanti-CTR-New\n";
    TLineFramer framer;
    Lines got;
    for (char c : text)
        for (auto &line : framer.Feed(std::string_view(&c, 1)))
            got.push_back(line);
    EXPECT_EQ(got, (Lines{"Morvanti-TXT-hello", "Morvanti-CTR-45", "Morvanti-CTR-New"}));
}

struct LongRow {
    const char *name;
    std::size_t length; // bytes of the long line
    std::size_t chunk;  // size of each read
    bool kept;          // the long line itself reaches the caller
};
class LongLines : public ::testing::TestWithParam<LongRow> {};

TEST_P(LongLines, OverlongLineDroppedWholeAndNextLineSurvives) {
    const auto &row = GetParam();
    const std::string text = std::string(row.length, 'x') + "\nMorvanti-CTR-New\n";
    TLineFramer framer;
    Lines got;
    std::size_t maxPending = 0;
    for (std::size_t at = 0; at < text.size(); at += row.chunk) {
        for (auto &line : framer.Feed(std::string_view(text).substr(at, row.chunk)))
            got.push_back(line);
        maxPending = std::max(maxPending, framer.Pending());
    }
    Lines expected;
    if (row.kept)
        expected.push_back(std::string(row.length, 'x'));
    expected.push_back("Morvanti-CTR-New");
    EXPECT_EQ(got, expected);
    EXPECT_LE(maxPending, TLineFramer::MaxLine);
    EXPECT_FALSE(framer.Skipping());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LongLines,
    ::testing::Values(LongRow{"ExactlyAtLimitOneRead", TLineFramer::MaxLine, 1 << 20, true},
                      LongRow{"ExactlyAtLimitSmallReads", TLineFramer::MaxLine, 1000, true},
                      LongRow{"OneOverLimitOneRead", TLineFramer::MaxLine + 1, 1 << 20, false},
                      LongRow{"OneOverLimitSmallReads", TLineFramer::MaxLine + 1, 1000, false},
                      LongRow{"OneMiBInFourKiBReads", 1 << 20, 4096, false}),
    test_rows::RowName);

TEST(Framing, OverlongLineWithoutFeedHoldsNoMemory) {
    TLineFramer framer;
    const std::string block(4096, 'y');
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(framer.Feed(block).empty());
    EXPECT_EQ(framer.Pending(), 0u);
    EXPECT_TRUE(framer.Skipping());
    EXPECT_EQ(framer.Feed("tail\nnext\n"), Lines{"next"});
}

TEST(Framing, TenThousandLinesInOneRead) {
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "Morvanti-TXT-" + std::to_string(i) + "\n";
    TLineFramer framer;
    const auto lines = framer.Feed(text);
    ASSERT_EQ(lines.size(), 10000u);
    EXPECT_EQ(lines.front(), "Morvanti-TXT-0");
    EXPECT_EQ(lines.back(), "Morvanti-TXT-9999");
}

} // namespace
