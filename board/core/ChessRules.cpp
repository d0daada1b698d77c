#include "board/core/ChessRules.h"

#include <algorithm>
#include <cstring>

TChessRules::TChessRules() {
    ResetGame();
}

Square TChessRules::SquareAt(int FileNo, int RankNo) {
    if (FileNo < 1 || FileNo > 8 || RankNo < 1 || RankNo > 8)
        return Square::None;
    return static_cast<Square>((8 - RankNo) * 8 + FileNo);
}

int TChessRules::FileOf(Square sq) {
    return OnBoard(sq) ? ((Ord(sq) - 1) % 8) + 1 : 0;
}

int TChessRules::RankOf(Square sq) {
    return OnBoard(sq) ? 8 - ((Ord(sq) - 1) / 8) : 9;
}

std::string TChessRules::SquareName(Square sq) {
    return {static_cast<char>(64 + FileOf(sq)), static_cast<char>(48 + RankOf(sq))};
}

int TChessRules::ColorOfLetter(char piece) {
    if (piece >= 'B' && piece <= 'R')
        return ColorWhite;
    if (piece >= 'b' && piece <= 'r')
        return ColorBlack;
    return ColorNone;
}

int TChessRules::PieceColor(Square sq) const {
    return ColorOfLetter(PieceAt(sq));
}

char TChessRules::PieceAt(Square sq) const {
    return OnBoard(sq) ? position_[static_cast<std::size_t>(Ord(sq) - 1)] : ' ';
}

void TChessRules::SetEnPassant(Square Value) {
    const int ordinal = Ord(Value);
    if ((ordinal >= 17 && ordinal <= 24) || (ordinal >= 41 && ordinal <= 48))
        enPassant_ = Value;
}

void TChessRules::SetCurrentMove(int Value) {
    (void)Value;
}

void TChessRules::LoadPosition(const std::string &Value) {
    static constexpr char Accepted[] = " PNBRQKpnbrqk";
    std::string placed(64, ' ');
    const std::size_t count = std::min<std::size_t>(Value.size(), 64);
    for (std::size_t i = 0; i < count; ++i) {
        const char c = Value[i];
        if (c == '\0')
            break;
        if (std::memchr(Accepted, c, sizeof Accepted - 1) != nullptr)
            placed[i] = c;
    }
    std::string lower = Value;
    // ASCII only: the keywords are plain letters and the current locale must not matter.
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
    if (lower == "init" || lower == "newgame")
        placed = StartPosition;
    position_ = std::move(placed);
    RepaintBoard();
}

void TChessRules::ResetGame() {
    position_ = StartPosition;
    whiteToMove_ = true;
    currentMove_ = 1;
    FirstMoveNumber = 1;
    LastMoveNumber = 1;
    LastWhiteToMove = true;
    enPassant_ = Square::None;
    castling_ = AllCastlings;
}
