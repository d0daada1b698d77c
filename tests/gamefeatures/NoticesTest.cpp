#include "app/session/Notices.h"

#include "tests/common/Rows.h"
#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(Notices, OpponentMove) {
    EXPECT_EQ(OpponentMoveNotice(QStringLiteral("E7-E5")).Message,
              QStringLiteral("Your move \u2014 opponent played E7-E5"));
    EXPECT_EQ(OpponentMoveNotice(QStringLiteral("B2-B1"), 'n').Message,
              QStringLiteral("Your move \u2014 opponent played B2-B1=N"));
}

struct ChatRow {
    const char *name;
    QString text;
    QString shown;
};

using test_rows::PrintTo;

class ChatNoticeTest : public testing::TestWithParam<ChatRow> {};

TEST_P(ChatNoticeTest, ShowsTheFirstEightyCharacters) {
    EXPECT_EQ(ChatNotice(GetParam().text).Message, GetParam().shown);
}

const QString Emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two UTF-16 units

const ChatRow ChatRows[] = {
    {"Short", QStringLiteral("good luck"), QStringLiteral("good luck")},
    {"ExactlyEighty", QString(80, QLatin1Char('a')), QString(80, QLatin1Char('a'))},
    {"LongerIsCut", QString(81, QLatin1Char('a')) + QStringLiteral("zzz"),
     QString(80, QLatin1Char('a')) + QStringLiteral(" \u2026")},
    {"PairsCountOnceAndStayWhole", QString(79, QLatin1Char('a')) + Emoji + Emoji,
     QString(79, QLatin1Char('a')) + Emoji + QStringLiteral(" \u2026")},
    {"ControlCharactersBecomeSpaces", QStringLiteral("a\rb\tc"), QStringLiteral("a b c")},
    {"MarkupStaysText", QStringLiteral("<b>hi</b>"), QStringLiteral("<b>hi</b>")},
};

INSTANTIATE_TEST_SUITE_P(Rows, ChatNoticeTest, testing::ValuesIn(ChatRows), test_rows::RowName);

struct EndRow {
    const char *name;
    TGameEnd how;
    TGameResult result;
    bool localWhite;
    const char *message;
};

class GameEndNoticeTest : public testing::TestWithParam<EndRow> {};

TEST_P(GameEndNoticeTest, TellsTheOutcomeFromOurSide) {
    const EndRow &row = GetParam();
    EXPECT_EQ(GameEndNotice(row.how, row.result, row.localWhite).Message,
              QString::fromUtf8(row.message));
}

const EndRow EndRows[] = {
    {"WhiteMatesAsWhite", TGameEnd::Checkmate, TGameResult::WhiteWins, true,
     "You won \u2014 checkmate"},
    {"WhiteMatesAsBlack", TGameEnd::Checkmate, TGameResult::WhiteWins, false,
     "You lost \u2014 checkmate"},
    {"BlackFlagFallsAsWhite", TGameEnd::FlagFall, TGameResult::WhiteWins, true,
     "You won \u2014 time is up"},
    {"BlackResignsAsBlack", TGameEnd::Resignation, TGameResult::WhiteWins, false,
     "You lost \u2014 resignation"},
    {"Stalemate", TGameEnd::Stalemate, TGameResult::Draw, false, "Draw \u2014 stalemate"},
    {"ConnectionLost", TGameEnd::ConnectionLost, TGameResult::Unfinished, true,
     "Game over \u2014 the connection was lost"},
};

INSTANTIATE_TEST_SUITE_P(Rows, GameEndNoticeTest, testing::ValuesIn(EndRows), test_rows::RowName);

TEST(Notices, ShownOnlyWhileTheWindowIsAway) {
    EXPECT_EQ(NoticeWayFor(true, false, true), TNoticeWay::None);
    EXPECT_EQ(NoticeWayFor(true, false, false), TNoticeWay::TrayMessageAndAlert);
    EXPECT_EQ(NoticeWayFor(true, true, false), TNoticeWay::TrayMessage);
    EXPECT_EQ(NoticeWayFor(false, false, false), TNoticeWay::TrayMessage);
    EXPECT_EQ(NoticeWayFor(false, true, true), TNoticeWay::TrayMessage);
}

TEST(NoticeThrottle, LetsOnePerKindThroughPerWindowAndCountsTheRest) {
    using K = TNoticeKind;
    const QString chat = QStringLiteral("Message from your opponent|hi");
    const QString move = QStringLiteral("Boardwick|Your move \u2014 opponent played E7-E5");
    // clang-format off
    // Steps are (when, kind); shown is "title|message" of each step let through, "-" if held back.
    const struct { const char *name; QList<std::pair<qint64, K>> steps; QStringList shown; } rows[] = {
        {"NextChatCountsTheHeld", {{0, K::Chat}, {1, K::Chat}, {4999, K::Chat}, {5000, K::Chat}}, {chat, "-", "-", "3 new messages from your opponent|hi"}},
        {"NextMoveCountsTheHeld", {{0, K::OpponentMove}, {1, K::OpponentMove}, {5000, K::OpponentMove}}, {move, "-", move + " (1 more since the last notice)"}},
        {"KindsHaveTheirOwnWindows", {{0, K::Chat}, {1, K::OpponentMove}, {2, K::Question}, {3, K::GameEnd}}, {chat, move, move, move}},
        {"WindowRestartsWhenOnePasses", {{0, K::Chat}, {5000, K::Chat}, {9999, K::Chat}}, {chat, chat, "-"}},
    };
    // clang-format on
    for (const auto &row : rows) {
        qint64 now = 0;
        TNoticeThrottle throttle([&now] { return now; });
        QStringList shown;
        for (const auto &[at, kind] : row.steps) {
            now = at;
            const auto passed =
                throttle.Pass(kind, kind == K::Chat ? ChatNotice(QStringLiteral("hi"))
                                                    : OpponentMoveNotice(QStringLiteral("E7-E5")));
            shown << (passed ? passed->Title + u'|' + passed->Message : QStringLiteral("-"));
        }
        EXPECT_EQ(shown, row.shown) << row.name;
    }
}

} // namespace
