#pragma once
#include <QString>

#include <optional>
#include <string>
#include <string_view>

// The three channels of a peer line; the 4-character name follows the message tag.
enum class TPeerChannel { None, Chat, Move, Control };

// Control words in the order a received control payload is compared with them.
enum class TControlWord {
    None,
    Resign,
    New,
    AskBack,
    AskForward,
    BackFail,
    ForwardFail,
    Back,
    Forward,
    WardAskOff,
    WardAskOn,
    WardOffFail,
    WardOnFail,
    WardOff,
    WardOn
};

// What one received line asks for. Channel None: the line is ignored.
struct TPeerLine {
    TPeerChannel Channel = TPeerChannel::None;
    std::string Payload;
    TControlWord Word = TControlWord::None; // control lines only
    std::optional<int> NewTime;             // control lines whose number is greater than 4
};

inline constexpr std::string_view DefaultMessageTag = "Morvanti-";
inline constexpr std::size_t HeadLength = 13;

std::string_view ChannelName(TPeerChannel channel);
std::string_view ControlWordText(TControlWord word);

// Head = first 13 characters, payload = the rest; heads compare exactly with tag + channel name.
TPeerLine ParsePeerLine(std::string_view line, std::string_view tag);

// Chat text as shown: UTF-8 as our programs send it; text that is not valid UTF-8 comes from an
// 8-bit peer and is read as Latin-1 rather than shown as replacement characters.
QString DecodeChatText(std::string_view payload);

// tag + channel name + payload + line feed, the bytes put on the wire.
std::string BuildPeerLine(std::string_view tag, TPeerChannel channel, std::string_view payload);
