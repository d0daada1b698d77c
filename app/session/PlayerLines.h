#pragma once
#include "app/session/PeerProtocol.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

// Player names and draw offers: control lines sent only to a peer that announced Name or Draw.
// Their payloads are neither control words nor numbers, so an older copy would ignore them.

// "Name <text>": the sender's player name in UTF-8, sent once after the peer's announcement and
// again whenever it changes. An empty text takes the name back.
inline constexpr std::string_view NameWord = "Name";
inline constexpr int MaxPlayerName = 40;
std::string NamePayload(const QString &name);

// A name as it may be used anywhere: one line of at most MaxPlayerName printable characters.
// Control and format characters (line breaks, direction overrides, zero-width marks) go, runs of
// white space become one space, and the ends are trimmed. Markup stays literal text.
QString PlayerNameText(const QString &text);

// "DrawOffer <game> <moves>": the sender offers a draw in numbered game <game>, where <moves>
// half-moves have been played. The receiver takes it only while it has the same count, that is
// when no move of its own crossed the offer on the wire; otherwise the offer has lapsed.
// "DrawAccept" and "DrawDecline" with the same numbers answer it.
std::string DrawPayload(TControlWord word, std::uint32_t game, std::uint32_t moves);
bool IsDrawWord(TControlWord word);

// Fills in what a control payload says as a name or a draw line (Name, or Word, Game and Moves).
void ReadPlayerLine(std::string_view payload, TPeerLine &line);
