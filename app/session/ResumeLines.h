#pragma once
// Games that survive a dropped connection, between copies that both announced Resume: the lines
// that carry it and what a session keeps for it.
#include "app/session/PeerTransport.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// "Beat": sent every few seconds so that a peer that vanished without a word is noticed.
inline constexpr std::string_view BeatWord = "Beat";
// "Leave": the sender hangs up on purpose, so the end of the connection ends the game.
inline constexpr std::string_view LeaveWord = "Leave";
// "ResumeFail": the answer to a Resume line about a game the receiver does not hold.
inline constexpr std::string_view ResumeFailWord = "ResumeFail";

// "Game <16 hex digits>": the sender's share of a new game's identity, sent when it starts one.
std::string GameSharePayload(std::uint64_t share);
std::optional<std::uint64_t> ParseGameShare(std::string_view payload);
// Both shares, the smaller first: the same on both sides whichever share is whose.
std::string GameIdentity(std::uint64_t a, std::uint64_t b);

// "Resume <identity> <half-moves> <seconds> <board>": the game the sender holds, how many
// half-moves it has played, what is left on the clock of the sender's own player and the digest of
// its board (see BoardDigest).
struct TResumeClaim {
    std::string Identity;
    int Plies = 0;
    int Seconds = 0;
    std::string Board;
    friend bool operator==(const TResumeClaim &, const TResumeClaim &) = default;
};
inline constexpr int MaxPlies = 99999;
inline constexpr int MaxClockSeconds = 999 * 60 + 59;
std::string ResumePayload(const TResumeClaim &claim);
std::optional<TResumeClaim> ParseResumePayload(std::string_view payload);
// 8 hex digits of FNV-1a over the 64 squares and the side to move.
std::string BoardDigest(std::string_view position, bool whiteToMove);

// What a session keeps to resume its game: the identity agreed for it and, once the connection
// has dropped, the suspension with its calls back.
struct TResumeState {
    std::uint64_t OwnShare = 0;
    bool ShareSent = false;
    std::string Identity;   // empty: this game cannot be resumed
    QString Fingerprint;     // the peer's verified key when the identity was agreed
    // The current connection.
    bool OnPurpose = false; // its end was asked for, here or by the peer's Leave
    bool Refused = false;   // a ResumeFail went out: one is all a peer needs
    qint64 LastHeard = 0, LastBeat = 0;
    // The suspension.
    qint64 SuspendedAt = 0;
    TPeerRole Role = TPeerRole::Called; // of the connection that dropped: a caller calls again
    int Calls = 0;
    qint64 NextCallAt = 0;
    qint64 CallingSince = -1; // a call back under way since; -1: none
    bool Gate = false;        // a connection is in, not yet known as the peer
    qint64 GateSince = 0;
    bool Asked = false;     // this side's Resume line went out and waits for its answer
    std::string AwaitBoard; // the peer delivers the half-move this side missed, to this board
    char LastPromotion = 0; // the piece of the latest local move, if it promoted
};
