#include "app/session/PeerProtocol.h"

#include "app/session/IntegerSyntax.h"
#include "app/session/PlayerLines.h"

#include <QStringDecoder>

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<TControlWord, std::string_view>, 14> ControlWords{{
    {TControlWord::Resign, "Resign"},
    {TControlWord::New, "New"},
    {TControlWord::AskBack, "AskBack"},
    {TControlWord::AskForward, "AskForward"},
    {TControlWord::BackFail, "BackFail"},
    {TControlWord::ForwardFail, "ForwardFail"},
    {TControlWord::Back, "Back"},
    {TControlWord::Forward, "Forward"},
    {TControlWord::WardAskOff, "WardAskOff"},
    {TControlWord::WardAskOn, "WardAskOn"},
    {TControlWord::WardOffFail, "WardOffFail"},
    {TControlWord::WardOnFail, "WardOnFail"},
    {TControlWord::WardOff, "WardOff"},
    {TControlWord::WardOn, "WardOn"},
}};

constexpr std::array<TPeerChannel, 3> Channels{TPeerChannel::Chat, TPeerChannel::Move,
                                               TPeerChannel::Control};

// A control payload that is not a number counts as 0.
int NumberOrZero(std::string_view payload) {
    return ParseInteger(QString::fromLatin1(payload.data(), static_cast<qsizetype>(payload.size())))
        .value_or(0);
}

// A count from 1 (see ReadCount).
std::optional<std::uint32_t> Count(std::string_view text) {
    const auto value = ReadCount(text);
    return value == 0u ? std::nullopt : value;
}

void ReadNumbered(std::string_view payload, TPeerLine &line) {
    const auto space = payload.find(' ');
    if (space == std::string_view::npos)
        return;
    const std::string_view word = payload.substr(0, space), rest = payload.substr(space + 1);
    if (word == "Resign") {
        if (const auto game = Count(rest))
            line.Word = TControlWord::Resign, line.Game = game;
        return;
    }
    const auto second = rest.find(' ');
    if (word != "New" || second == std::string_view::npos)
        return;
    const auto game = Count(rest.substr(0, second));
    const auto minutes = Count(rest.substr(second + 1));
    if (game && minutes && *minutes >= MinMinutes && *minutes <= MaxMinutes)
        line.Word = TControlWord::New, line.Game = game, line.Minutes = static_cast<int>(*minutes);
}

} // namespace

std::optional<std::uint32_t> ReadCount(std::string_view text) {
    if (text.empty() || text.size() > 9 || (text.front() == '0' && text.size() > 1))
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

std::string NumberedNewPayload(std::uint32_t game, int minutes) {
    return "New " + std::to_string(game) + ' ' + std::to_string(minutes);
}

std::string NumberedResignPayload(std::uint32_t game) {
    return "Resign " + std::to_string(game);
}

std::string_view ChannelName(TPeerChannel channel) {
    switch (channel) {
    case TPeerChannel::Chat:
        return "TXT-";
    case TPeerChannel::Move:
        return "MOV-";
    case TPeerChannel::Control:
        return "CTR-";
    case TPeerChannel::None:
        break;
    }
    return {};
}

std::string_view ControlWordText(TControlWord word) {
    for (const auto &[w, text] : ControlWords)
        if (w == word)
            return text;
    return {};
}

TPeerLine ParsePeerLine(std::string_view line, std::string_view tag) {
    TPeerLine result;
    const auto head = line.substr(0, HeadLength);
    const auto payload = line.size() > HeadLength ? line.substr(HeadLength) : std::string_view{};
    for (const auto channel : Channels) {
        const auto name = ChannelName(channel);
        if (head.size() == tag.size() + name.size() && head.starts_with(tag) &&
            head.ends_with(name)) {
            result.Channel = channel;
            break;
        }
    }
    if (result.Channel == TPeerChannel::None)
        return result;
    result.Payload = std::string(payload);
    if (result.Channel == TPeerChannel::Move)
        result.Move = ReadMoveText(payload);
    if (result.Channel != TPeerChannel::Control)
        return result;
    result.Promotion = ParsePromotionPayload(payload);
    ReadNumbered(payload, result);
    ReadPlayerLine(payload, result);
    result.Announcement = ParseFeaturesPayload(payload).has_value();
    for (const auto &[word, text] : ControlWords) {
        if (payload == text) {
            result.Word = word;
            break;
        }
    }
    // Minutes outside the range the About box allows are no time control.
    if (const int number = NumberOrZero(payload); number >= MinMinutes && number <= MaxMinutes)
        result.NewTime = number;
    return result;
}

std::string BuildPeerLine(std::string_view tag, TPeerChannel channel, std::string_view payload) {
    std::string line;
    const auto name = ChannelName(channel);
    line.reserve(tag.size() + name.size() + payload.size() + 1);
    line.append(tag).append(name).append(payload).push_back('\n');
    return line;
}

QString DecodeChatText(std::string_view payload) {
    const QByteArrayView bytes(payload.data(), static_cast<qsizetype>(payload.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

TPeerFeatures OwnFeatures() {
    TPeerFeatures features;
    features.Promotion = features.Numbered = features.Resume = features.Name = features.Draw = true;
    return features;
}

namespace {
// Every feature word, in the order an announcement lists them.
constexpr std::pair<std::string_view, bool TPeerFeatures::*> FeatureWords[] = {
    {PromotionFeature, &TPeerFeatures::Promotion}, {NumberedFeature, &TPeerFeatures::Numbered},
    {ResumeFeature, &TPeerFeatures::Resume},       {NameFeature, &TPeerFeatures::Name},
    {DrawFeature, &TPeerFeatures::Draw},           {TlsFeature, &TPeerFeatures::Tls}};
} // namespace

std::string FeaturesPayload(const TPeerFeatures &features) {
    std::string payload(FeaturesWord);
    for (const auto &[word, flag] : FeatureWords)
        if (features.*flag)
            payload.append(" ").append(word);
    return payload;
}

std::optional<TPeerFeatures> ParseFeaturesPayload(std::string_view payload) {
    if (!payload.starts_with(FeaturesWord))
        return std::nullopt;
    std::string_view rest = payload.substr(FeaturesWord.size());
    if (!rest.empty() && rest.front() != ' ')
        return std::nullopt; // "FeaturesX" is another word
    TPeerFeatures features;
    while (!rest.empty()) {
        rest.remove_prefix(1);
        const auto space = rest.find(' ');
        const auto end = space == std::string_view::npos ? rest.size() : space;
        const auto word = rest.substr(0, end);
        for (const auto &[known, flag] : FeatureWords)
            features.*flag |= word == known;
        rest.remove_prefix(end);
    }
    return features;
}

std::string PromotionPayload(char piece) {
    const char upper = static_cast<char>(piece >= 'a' && piece <= 'z' ? piece - 32 : piece);
    if (upper != 'Q' && upper != 'R' && upper != 'B' && upper != 'N')
        return {};
    return std::string(PromoteWord) + ' ' + upper;
}

std::optional<char> ParsePromotionPayload(std::string_view payload) {
    if (payload.size() != PromoteWord.size() + 2 || !payload.starts_with(PromoteWord) ||
        payload[PromoteWord.size()] != ' ')
        return std::nullopt;
    const char piece = payload.back();
    if (piece != 'Q' && piece != 'R' && piece != 'B' && piece != 'N')
        return std::nullopt;
    return piece;
}
