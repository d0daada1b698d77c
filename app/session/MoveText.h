#pragma once
#include <string>
#include <string_view>

// Reads a two-character square text such as "e2" (upper-cased first). Answers false, leaving
// fileNo and rankNo alone, unless the text has exactly two characters. The file is the letter's
// code minus 64 (A = 1 .. H = 8); a rank character that is not a digit gives rank 0, which
// lies off the board like any other bad square.
bool StrToFileRank(std::string_view text, int &fileNo, int &rankNo);

// A received move text, from-square "-" to-square. Well-formed: at least three characters with
// "-" third; only then is the text acted on at all. HasTo: the text after "-" is exactly two
// characters. Files and ranks may lie off the board; the board refuses those squares.
struct TMoveText {
    bool WellFormed = false;
    bool HasTo = false;
    int FromFile = 0, FromRank = 0, ToFile = 0, ToRank = 0;
};
TMoveText ReadMoveText(std::string_view text);

// The move text to send, from a move-list line: spaces removed, then what follows the first ".".
std::string MoveTextFromListLine(std::string_view line);
