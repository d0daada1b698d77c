#include "app/session/PeerProtocol.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

// The dispatcher of copies without features must find nothing to do in our new lines: no control
// word, and no number (which would set the time).
TEST(PeerFeatures, NewControlLinesAreIgnoredByTodaysDispatcher) {
    for (const std::string &payload :
         {FeaturesPayload(OwnFeatures()), FeaturesPayload({}), PromotionPayload('Q'),
          PromotionPayload('r'), PromotionPayload('B'), PromotionPayload('n')}) {
        ASSERT_FALSE(payload.empty());
        std::string line = BuildPeerLine(DefaultMessageTag, TPeerChannel::Control, payload);
        ASSERT_EQ(line.back(), '\n');
        line.pop_back();
        const TPeerLine parsed = ParsePeerLine(line, DefaultMessageTag);
        EXPECT_EQ(parsed.Channel, TPeerChannel::Control) << payload;
        EXPECT_EQ(parsed.Word, TControlWord::None) << payload;
        EXPECT_FALSE(parsed.NewTime.has_value()) << payload;
    }
}

TEST(PeerFeatures, AnnouncementLine) {
    EXPECT_EQ(
        BuildPeerLine(DefaultMessageTag, TPeerChannel::Control, FeaturesPayload(OwnFeatures())),
        "Morvanti-CTR-Features Promotion Numbered Resume Name Draw\n");
    EXPECT_EQ(BuildPeerLine(DefaultMessageTag, TPeerChannel::Control, PromotionPayload('n')),
              "Morvanti-CTR-Promote N\n");
}

struct FeaturesRow {
    const char *name;
    const char *payload;
    bool announcement;
    bool promotion;
};

using test_rows::PrintTo;

class ParseFeaturesTest : public testing::TestWithParam<FeaturesRow> {};

TEST_P(ParseFeaturesTest, ReadsTheAnnouncement) {
    const auto parsed = ParseFeaturesPayload(GetParam().payload);
    ASSERT_EQ(parsed.has_value(), GetParam().announcement);
    if (parsed) {
        EXPECT_EQ(parsed->Promotion, GetParam().promotion);
    }
}

const FeaturesRow FeaturesRows[] = {
    {"Ours", "Features Promotion", true, true},
    {"NoFeatures", "Features", true, false},
    {"LaterFeaturesAroundOurs", "Features Draw Promotion Takeback", true, true},
    {"OnlyUnknownFeatures", "Features Draw Takeback", true, false},
    {"PrefixOfAFeatureIsNotIt", "Features Promo", true, false},
    {"DoubledSpace", "Features  Promotion", true, true},
    {"OtherWordStartingAlike", "FeaturesPromotion", false, false},
    {"LowerCase", "features Promotion", false, false},
    {"ControlWord", "New", false, false},
    {"Empty", "", false, false},
};

INSTANTIATE_TEST_SUITE_P(Rows, ParseFeaturesTest, testing::ValuesIn(FeaturesRows),
                         test_rows::RowName);

struct PromotionRow {
    const char *name;
    const char *payload;
    char piece; // 0: not a promotion line
};

class ParsePromotionTest : public testing::TestWithParam<PromotionRow> {};

TEST_P(ParsePromotionTest, ReadsThePiece) {
    const auto piece = ParsePromotionPayload(GetParam().payload);
    EXPECT_EQ(piece.value_or(0), GetParam().piece);
}

const PromotionRow PromotionRows[] = {
    {"Queen", "Promote Q", 'Q'},
    {"Rook", "Promote R", 'R'},
    {"Bishop", "Promote B", 'B'},
    {"Knight", "Promote N", 'N'},
    {"King", "Promote K", 0},
    {"Pawn", "Promote P", 0},
    {"LowerCase", "Promote n", 0},
    {"TrailingSpace", "Promote N ", 0},
    {"NoSpace", "PromoteN", 0},
    {"WordAlone", "Promote", 0},
    {"Features", "Features Promotion", 0},
};

INSTANTIATE_TEST_SUITE_P(Rows, ParsePromotionTest, testing::ValuesIn(PromotionRows),
                         test_rows::RowName);

TEST(PeerFeatures, PromotionPayloadRefusesOtherPieces) {
    EXPECT_EQ(PromotionPayload('K'), "");
    EXPECT_EQ(PromotionPayload('p'), "");
    EXPECT_EQ(PromotionPayload('\0'), "");
    for (const char piece : {'q', 'r', 'b', 'n'})
        EXPECT_EQ(ParsePromotionPayload(PromotionPayload(piece)), static_cast<char>(piece - 32));
}

} // namespace
