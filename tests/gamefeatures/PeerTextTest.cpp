#include "app/session/PeerText.h"

#include <gtest/gtest.h>

namespace {

const QString Emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two UTF-16 units
const QString Cut = QStringLiteral(" \u2026");

TEST(ShownPeerText, MakesOneLineThatCannotReorderWhatFollows) {
    struct Row {
        const char *name;
        QString text;
        int maxLength;
        QString shown;
    };
    // clang-format off
    const Row rows[] = {
        {"MarkupStaysText", QStringLiteral("good luck <b>"), 2000, QStringLiteral("good luck <b>")},
        {"C0AndDelBecomeSpaces", QStringLiteral("a\nb\rc\td\u0000e\u007F"), 2000, QStringLiteral("a b c d e ")},
        {"C1AndSeparatorsBecomeSpaces", QStringLiteral("a\u0085b\u009Bc\u2028d\u2029e"), 2000, QStringLiteral("a b c d e")},
        {"BidiControlsAreDropped", QStringLiteral("a\u202Eb\u2066c\u2069d\u200Fe\u061Cf\u202Ag"), 2000, QStringLiteral("abcdefg")},
        {"LoneSurrogatesAreReplaced", QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00), 2000, QStringLiteral("a\uFFFDb\uFFFD")},
        {"ExactlyTheLimitIsKept", QStringLiteral("abcde"), 5, QStringLiteral("abcde")},
        {"LongerIsCutAndMarked", QStringLiteral("abcdef"), 5, QStringLiteral("abcde") + Cut},
        {"PairsCountOnceAndStayWhole", QStringLiteral("abcd") + Emoji + Emoji, 5, QStringLiteral("abcd") + Emoji + Cut},
        {"DroppedControlsDoNotCount", QStringLiteral("abc\u202E\u202E\u202Ede"), 5, QStringLiteral("abcde")},
    };
    // clang-format on
    for (const Row &row : rows)
        EXPECT_EQ(ShownPeerText(row.text, row.maxLength), row.shown) << row.name;
}

} // namespace
