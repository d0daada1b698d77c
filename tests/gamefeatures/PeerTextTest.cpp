#include "app/session/PeerText.h"

#include <gtest/gtest.h>

namespace {

const QString Emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two UTF-16 units

TEST(ShownPeerText, MakesOneLineThatCannotReorderWhatFollows) {
    // clang-format off
    const struct { const char *name; QString text; int maxLength; QString shown; } rows[] = {
        {"LineBreakersBecomeSpaces", QStringLiteral("a\nb\rc\td\u0000e\u007Ff\u0085g\u009Bh\u2028i\u2029"), 2000, QStringLiteral("a b c d e f g h i ")},
        {"BidiControlsAreDropped", QStringLiteral("a\u202Eb\u2066c\u2069d\u200Fe\u061Cf\u202Ag"), 2000, QStringLiteral("abcdefg")},
        {"LoneSurrogatesAreReplaced", QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00), 2000, QStringLiteral("a\uFFFDb\uFFFD")},
        {"ExactlyTheLimitIsKept", QStringLiteral("abcde"), 5, QStringLiteral("abcde")},
        {"LongerIsCutAndMarked", QStringLiteral("abcdef"), 5, QStringLiteral("abcde \u2026")},
        {"PairsCountOnceAndStayWhole", QStringLiteral("abcd") + Emoji + Emoji, 5, QStringLiteral("abcd") + Emoji + QStringLiteral(" \u2026")},
        {"DroppedControlsDoNotCount", QStringLiteral("abc\u202E\u202E\u202Ede"), 5, QStringLiteral("abcde")},
    };
    // clang-format on
    for (const auto &row : rows)
        EXPECT_EQ(ShownPeerText(row.text, row.maxLength), row.shown) << row.name;
}

} // namespace
