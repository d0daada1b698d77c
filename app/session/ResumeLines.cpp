#include "app/session/ResumeLines.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::string_view GameWord = "Game ";
constexpr std::string_view ResumeWord = "Resume ";

bool IsHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string Hex(std::uint64_t value, int digits = 16) {
    char text[17];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

// Decimal digits only, no sign, no leading zero but "0" itself, at most limit.
std::optional<int> Number(std::string_view text, int limit) {
    if (text.empty() || text.size() > 6 || (text.size() > 1 && text.front() == '0'))
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value <= limit ? std::optional<int>(value) : std::nullopt;
}

// The next space-separated word of rest, taken off it.
std::string_view Word(std::string_view &rest) {
    const auto space = rest.find(' ');
    const std::string_view word = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    return word;
}

} // namespace

std::string GameSharePayload(std::uint64_t share) {
    return std::string(GameWord) + Hex(share);
}

std::optional<std::uint64_t> ParseGameShare(std::string_view payload) {
    if (!payload.starts_with(GameWord))
        return std::nullopt;
    const std::string_view digits = payload.substr(GameWord.size());
    if (digits.size() != 16 || !IsHex(digits))
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits)
        value = value * 16 + static_cast<std::uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    return value;
}

std::string GameIdentity(std::uint64_t a, std::uint64_t b) {
    return Hex(std::min(a, b)) + Hex(std::max(a, b));
}

std::string ResumePayload(const TResumeClaim &claim) {
    return std::string(ResumeWord) + claim.Identity + ' ' + std::to_string(claim.Plies) + ' ' +
           std::to_string(claim.Seconds) + ' ' + claim.Board;
}

std::optional<TResumeClaim> ParseResumePayload(std::string_view payload) {
    if (!payload.starts_with(ResumeWord) || payload.ends_with(' '))
        return std::nullopt;
    std::string_view rest = payload.substr(ResumeWord.size());
    const std::string_view identity = Word(rest);
    const auto plies = Number(Word(rest), MaxPlies);
    const auto seconds = Number(Word(rest), MaxClockSeconds);
    const std::string_view board = Word(rest);
    if (identity.size() != 32 || !IsHex(identity) || !plies || !seconds || board.size() != 8 ||
        !IsHex(board) || !rest.empty())
        return std::nullopt;
    return TResumeClaim{std::string(identity), *plies, *seconds, std::string(board)};
}

std::string BoardDigest(std::string_view position, bool whiteToMove) {
    std::uint32_t hash = 2166136261u;
    for (const char c : position.substr(0, 64))
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    hash = (hash ^ (whiteToMove ? 'w' : 'b')) * 16777619u;
    return Hex(hash, 8);
}
