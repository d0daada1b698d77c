#include "app/session/PeerProtocol.h"

#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <optional>
#include <string>

namespace {

struct ParseRow {
    const char *name;
    std::string line;
    TPeerChannel channel;
    std::string payload;
    TControlWord word;
    std::optional<int> newTime;
};
using test_rows::PrintTo;

class ParseLine : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ParseLine, DispatchesByHeadAndControlWord) {
    const auto &row = GetParam();
    const TPeerLine got = ParsePeerLine(row.line, DefaultMessageTag);
    EXPECT_EQ(got.Channel, row.channel);
    if (row.channel != TPeerChannel::None) {
        EXPECT_EQ(got.Payload, row.payload);
    }
    EXPECT_EQ(got.Word, row.word);
    EXPECT_EQ(got.NewTime, row.newTime);
}

using C = TPeerChannel;
using W = TControlWord;
constexpr auto none = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Heads, ParseLine,
    ::testing::Values(ParseRow{"Chat", "Morvanti-TXT-hello there", C::Chat, "hello there", W::None,
                               none},
                      ParseRow{"ChatEmpty", "Morvanti-TXT-", C::Chat, "", W::None, none},
                      ParseRow{"ChatThatLooksLikeControl", "Morvanti-TXT-Morvanti-CTR-New", C::Chat,
                               "Morvanti-CTR-New", W::None, none},
                      ParseRow{"ChatUtf8Bytes", "Morvanti-TXT-\xc3\xa9t\xc3\xa9", C::Chat,
                               "\xc3\xa9t\xc3\xa9", W::None, none},
                      ParseRow{"Move", "Morvanti-MOV-E2-E4", C::Move, "E2-E4", W::None, none},
                      ParseRow{"MoveEmpty", "Morvanti-MOV-", C::Move, "", W::None, none},
                      ParseRow{"OtherTag", "Morvanta-CTR-New", C::None, "", W::None, none},
                      ParseRow{"LowerCaseTag", "morvanti-CTR-New", C::None, "", W::None, none},
                      ParseRow{"UnknownChannel", "Morvanti-XYZ-New", C::None, "", W::None, none},
                      ParseRow{"LowerCaseChannel", "Morvanti-ctr-New", C::None, "", W::None, none},
                      ParseRow{"ShortLine", "Morvanti-CTR", C::None, "", W::None, none},
                      ParseRow{"Empty", "", C::None, "", W::None, none},
                      ParseRow{"HeadAlone", "Morvanti-CTR-", C::Control, "", W::None, none},
                      ParseRow{"Binary", std::string("\0\xff\x80Morvanti-CTR-New", 19), C::None, "",
                               W::None, none}),
    test_rows::RowName);

INSTANTIATE_TEST_SUITE_P(
    Control, ParseLine,
    ::testing::Values(
        ParseRow{"Resign", "Morvanti-CTR-Resign", C::Control, "Resign", W::Resign, none},
        ParseRow{"New", "Morvanti-CTR-New", C::Control, "New", W::New, none},
        ParseRow{"AskBack", "Morvanti-CTR-AskBack", C::Control, "AskBack", W::AskBack, none},
        ParseRow{"AskForward", "Morvanti-CTR-AskForward", C::Control, "AskForward", W::AskForward,
                 none},
        ParseRow{"BackFail", "Morvanti-CTR-BackFail", C::Control, "BackFail", W::BackFail, none},
        ParseRow{"ForwardFail", "Morvanti-CTR-ForwardFail", C::Control, "ForwardFail",
                 W::ForwardFail, none},
        ParseRow{"Back", "Morvanti-CTR-Back", C::Control, "Back", W::Back, none},
        ParseRow{"Forward", "Morvanti-CTR-Forward", C::Control, "Forward", W::Forward, none},
        ParseRow{"WardAskOff", "Morvanti-CTR-WardAskOff", C::Control, "WardAskOff", W::WardAskOff,
                 none},
        ParseRow{"WardAskOn", "Morvanti-CTR-WardAskOn", C::Control, "WardAskOn", W::WardAskOn,
                 none},
        ParseRow{"WardOffFail", "Morvanti-CTR-WardOffFail", C::Control, "WardOffFail",
                 W::WardOffFail, none},
        ParseRow{"WardOnFail", "Morvanti-CTR-WardOnFail", C::Control, "WardOnFail", W::WardOnFail,
                 none},
        ParseRow{"WardOff", "Morvanti-CTR-WardOff", C::Control, "WardOff", W::WardOff, none},
        ParseRow{"WardOn", "Morvanti-CTR-WardOn", C::Control, "WardOn", W::WardOn, none},
        ParseRow{"WrongCase", "Morvanti-CTR-new", C::Control, "new", W::None, none},
        ParseRow{"TrailingSpace", "Morvanti-CTR-New ", C::Control, "New ", W::None, none},
        ParseRow{"PrefixOfWord", "Morvanti-CTR-Ward", C::Control, "Ward", W::None, none},
        ParseRow{"Time45", "Morvanti-CTR-45", C::Control, "45", W::None, 45},
        ParseRow{"Time5", "Morvanti-CTR-5", C::Control, "5", W::None, 5},
        ParseRow{"Time4Ignored", "Morvanti-CTR-4", C::Control, "4", W::None, none},
        ParseRow{"TimeNegative", "Morvanti-CTR--50", C::Control, "-50", W::None, none},
        ParseRow{"TimePlusSign", "Morvanti-CTR-+7", C::Control, "+7", W::None, 7},
        ParseRow{"TimeLeadingSpaces", "Morvanti-CTR-   12", C::Control, "   12", W::None, 12},
        ParseRow{"TimeHex", "Morvanti-CTR-$10", C::Control, "$10", W::None, 16},
        ParseRow{"TimeTrailingText", "Morvanti-CTR-12x", C::Control, "12x", W::None, none},
        ParseRow{"TimeTrailingSpace", "Morvanti-CTR-12 ", C::Control, "12 ", W::None, none},
        ParseRow{"Time999", "Morvanti-CTR-999", C::Control, "999", W::None, 999},
        ParseRow{"Time1000Ignored", "Morvanti-CTR-1000", C::Control, "1000", W::None, none},
        ParseRow{"TimeMaxIntIgnored", "Morvanti-CTR-2147483647", C::Control, "2147483647", W::None,
                 none},
        ParseRow{"TimeOverflow", "Morvanti-CTR-2147483648", C::Control, "2147483648", W::None,
                 none}),
    test_rows::RowName);

TEST(BuildLine, HeadPayloadAndOneFeed) {
    EXPECT_EQ(BuildPeerLine(DefaultMessageTag, C::Control, "AskBack"), "Morvanti-CTR-AskBack\n");
    EXPECT_EQ(BuildPeerLine(DefaultMessageTag, C::Move, "E2-E4"), "Morvanti-MOV-E2-E4\n");
    EXPECT_EQ(BuildPeerLine(DefaultMessageTag, C::Chat, ""), "Morvanti-TXT-\n");
}

TEST(BuildLine, EveryControlWordSurvivesTheRoundTrip) {
    for (int w = static_cast<int>(W::Resign); w <= static_cast<int>(W::WardOn); ++w) {
        const auto word = static_cast<W>(w);
        std::string line = BuildPeerLine(DefaultMessageTag, C::Control, ControlWordText(word));
        line.pop_back();
        EXPECT_EQ(ParsePeerLine(line, DefaultMessageTag).Word, word) << line;
    }
}

struct ChatRow {
    const char *name;
    std::string payload;
    QString shown;
};
class ChatText : public ::testing::TestWithParam<ChatRow> {};

TEST_P(ChatText, Utf8OrElseLatin1) {
    EXPECT_EQ(DecodeChatText(GetParam().payload), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChatText,
    ::testing::Values(ChatRow{"Ascii", "hello", QStringLiteral("hello")},
                      ChatRow{"Empty", "", QString()},
                      ChatRow{"Utf8", "caf\xc3\xa9 \xe2\x99\x9e",
                              QString::fromUtf8("caf\xc3\xa9 \xe2\x99\x9e")},
                      ChatRow{"EightBit", "caf\xe9", QString::fromUtf8("caf\xc3\xa9")},
                      ChatRow{"TruncatedUtf8", "\xe2\x99", QString::fromLatin1("\xe2\x99")},
                      ChatRow{"Markup", "<b>x</b>", QStringLiteral("<b>x</b>")}),
    test_rows::RowName);

} // namespace
