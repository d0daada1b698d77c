// The integer syntax shared by the hidden time setting and the peer protocol.
#include "app/session/IntegerSyntax.h"

#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <optional>

namespace {

struct Row {
    const char *name;
    QString text;
    std::optional<int> expected;
};

const Row Rows[] = {
    {"Plain", "45", 45},
    {"Zero", "0", 0},
    {"LeadingZeros", "00000000000000000000045", 45},
    {"Plus", "+7", 7},
    {"Minus", "-7", -7},
    {"LeadingSpaces", "   12", 12},
    {"SpacesThenSign", "  -3", -3},
    {"HexDollar", "$10", 16},
    {"HexMixedCase", "$aB", 0xAB},
    {"HexMax", "$7FFFFFFF", 2147483647},
    {"HexBeyondSignedRange", "$80000000", std::nullopt},
    {"HexAllOnes", "$FFFFFFFF", std::nullopt},
    {"HexNegative", "-$10", std::nullopt},
    {"HexNoDigits", "$", std::nullopt},
    {"HexBadDigit", "$1G", std::nullopt},
    {"DecimalMax", "2147483647", 2147483647},
    {"DecimalMin", "-2147483648", -2147483647 - 1},
    {"DecimalOverflow", "2147483648", std::nullopt},
    {"DecimalUnderflow", "-2147483649", std::nullopt},
    {"HugeOverflow", "99999999999999999999999", std::nullopt},
    {"Empty", "", std::nullopt},
    {"SpacesOnly", "   ", std::nullopt},
    {"SignOnly", "-", std::nullopt},
    {"DoubleSign", "--5", std::nullopt},
    {"SpaceAfterSign", "- 5", std::nullopt},
    {"TrailingSpace", "5 ", std::nullopt},
    {"TrailingLetter", "12a", std::nullopt},
    {"LeadingTab", "\t5", std::nullopt},
    {"CPrefix", "0x10", std::nullopt},
    {"Word", "abc", std::nullopt},
    {"Decimal", "1.5", std::nullopt},
    {"ArabicIndicDigit", QString::fromUtf8("\xd9\xa5"), std::nullopt},
    {"FullwidthDigit", QString::fromUtf8("\xef\xbc\x95"), std::nullopt},
    {"EmbeddedNul", QString::fromLatin1("5\0", 2), std::nullopt},
};

class IntegerSyntaxTest : public ::testing::TestWithParam<Row> {};

TEST_P(IntegerSyntaxTest, ParsesOrRefuses) {
    const Row &row = GetParam();
    EXPECT_EQ(ParseInteger(row.text), row.expected);
    EXPECT_EQ(StrToIntDef(row.text, -99), row.expected.value_or(-99));
    if (row.expected) {
        EXPECT_EQ(StrToInt(row.text), *row.expected);
    } else {
        try {
            StrToInt(row.text);
            ADD_FAILURE() << "no error for '" << row.text.toStdString() << "'";
        } catch (const EConvertError &e) {
            QString shown = row.text;
            shown.replace(QChar(u'\0'), QChar(QChar::ReplacementCharacter));
            EXPECT_EQ(QString::fromUtf8(e.what()),
                      QStringLiteral("'%1' is not a valid integer value").arg(shown));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, IntegerSyntaxTest, ::testing::ValuesIn(Rows), test_rows::RowName);

TEST(IntegerSyntax, MessageKeepsTheTextAsTyped) {
    try {
        StrToInt(QStringLiteral("%1 <b>x</b>"));
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'%1 <b>x</b>' is not a valid integer value");
    }
}

} // namespace
