#include "PeerProtocol.h"

#include "IntegerSyntax.h"

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

} // namespace

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
    if (result.Channel != TPeerChannel::Control)
        return result;
    for (const auto &[word, text] : ControlWords) {
        if (payload == text) {
            result.Word = word;
            break;
        }
    }
    if (const int number = NumberOrZero(payload); number > 4)
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
