#pragma once
#include "app/session/MoveText.h"

#include <QString>

#include <cstdint>
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
    WardOn,
    // Draw offers carry numbers, so they have no text of their own here (see PlayerLines.h).
    DrawOffer,
    DrawAccept,
    DrawDecline
};

struct TPeerFeatures;

// What one received line asks for, read once where it arrives. Channel None: the line is ignored.
struct TPeerLine {
    TPeerChannel Channel = TPeerChannel::None;
    std::string Payload;
    TControlWord Word = TControlWord::None; // control lines only
    std::optional<int> NewTime;             // control lines naming 5..999 minutes
    TMoveText Move;                         // move lines: the squares it names
    std::optional<char> Promotion;          // a "Promote" control line: the piece it names
    bool Announcement = false;              // a "Features" control line (see TPeerFeatures)
    std::optional<std::uint32_t> Game;      // a numbered "New" or "Resign": the game it names
    int Minutes = 0;                        // a numbered "New": the minutes per side
    std::uint32_t Moves = 0;                // a draw line: the half-moves of the game it names
    std::optional<std::string> Name;        // a "Name" control line: the name as sent
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

// Features a copy understands, announced once in a control line right after connecting: the
// word "Features", then one word per feature, each after a single space. Later features join the
// same line; words a copy does not know are skipped. The payload is neither a control word nor a
// number, so a copy without features ignores the whole line.
struct TPeerFeatures {
    bool Promotion = false; // a promoting move is preceded by the piece chosen
    bool Numbered = false;  // "New" and "Resign" name the game they start or end (see below)
    bool Resume = false;    // a game survives a dropped connection (see ResumeLines.h)
    bool Name = false;      // the player's name follows the announcement (see PlayerLines.h)
    bool Draw = false;      // draw offers, in numbered games only (see PlayerLines.h)
    bool Tls = false;       // the link can be upgraded in place to TLS (see below)
    friend bool operator==(const TPeerFeatures &, const TPeerFeatures &) = default;
};

inline constexpr std::string_view FeaturesWord = "Features";
inline constexpr std::string_view PromotionFeature = "Promotion";
inline constexpr std::string_view PromoteWord = "Promote";
inline constexpr std::string_view NumberedFeature = "Numbered";
inline constexpr std::string_view ResumeFeature = "Resume";
inline constexpr std::string_view NameFeature = "Name";
inline constexpr std::string_view DrawFeature = "Draw";
inline constexpr std::string_view TlsFeature = "Tls";

// What this copy understands; Tls is added by a link that has a key.
TPeerFeatures OwnFeatures();
// "Features Promotion" for OwnFeatures(); "Features" alone for none.
std::string FeaturesPayload(const TPeerFeatures &features);
// The features a control payload announces; empty when the payload is no announcement.
std::optional<TPeerFeatures> ParseFeaturesPayload(std::string_view payload);

// "Promote N": the piece a promoting move becomes, sent as a control line just before the move line
// and only to a peer that announced Promotion. piece is Q, R, B or N in either case; any other
// letter gives an empty payload, which must not be sent.
std::string PromotionPayload(char piece);
// The upper-case piece letter a control payload names ("Promote Q", "R", "B" or "N" exactly);
// empty for anything else. It applies to the next move line only.
std::optional<char> ParsePromotionPayload(std::string_view payload);

// Numbered games, between copies that both announced Numbered: the games of a connection are
// counted from 1, "New <game> <minutes>" starts one with its time per side (instead of a time line
// and "New"), and "Resign <game>" ends that game only. So a New Game that crossed the peer's is
// known for one, and a resignation of a game already replaced ends nothing.
inline constexpr int MinMinutes = 5, MaxMinutes = 999;
// A number on a control line: decimal digits only, without sign or leading zero ("0" itself is
// one), at most nine of them.
std::optional<std::uint32_t> ReadCount(std::string_view text);
std::string NumberedNewPayload(std::uint32_t game, int minutes);
std::string NumberedResignPayload(std::uint32_t game);

// The upgrade, between copies that both announced Tls: the side that called asks with "StartTls"
// and sends nothing more until the answer; the side that was called answers "TlsReady" and starts
// its TLS handshake right after that line's feed; the asker starts its own right after reading
// it. Every later byte is TLS.
inline constexpr std::string_view StartTlsWord = "StartTls";
inline constexpr std::string_view TlsReadyWord = "TlsReady";
