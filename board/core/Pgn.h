#pragma once

#include "board/core/Notation.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The board's game record read as a game: from the record's first entry to its last.
struct TRecordedGame {
    std::string SetUpFen; // empty when the game starts from the standard start position
    int FirstMoveNumber = 1;
    std::vector<std::string> Moves; // SAN, White's move first
    std::string FinalFen;           // the position of the last entry read, with its half-move clock
    // False when an entry's move does not lead to the next entry's position; Moves then ends
    // before that move and FinalFen is the position it was played from.
    bool Complete = true;
};

// Reads the record (entries FirstMoveNumber/White up to LastMoveNumber/LastWhiteToMove); a
// promotion comes out as the piece the next entry shows on the promotion square.
TRecordedGame ReadGameRecord(const TChessRules &board);

enum class TGameResult { WhiteWins, BlackWins, Draw, Unfinished };

// "1-0", "0-1", "1/2-1/2" or "*".
std::string_view ResultText(TGameResult result);

// Tags of one exported game. Event is always "Boardwick game" and Round "-".
struct TPgnTags {
    std::string Site;
    std::string Date = "????.??.??"; // "YYYY.MM.DD"
    std::string White;
    std::string Black;
    TGameResult Result = TGameResult::Unfinished;
    std::int64_t SecondsPerSide = 0; // 0: no time control ("-")
};

// "2026.12.08".
std::string PgnDate(int year, int month, int day);

// Tags for a game played here: "Local" plays the colour the local player had, the opponent the
// other.
TPgnTags SessionPgnTags(bool localPlaysWhite, std::string_view opponent, std::string_view site,
                        std::string_view date, int minutesPerSide, TGameResult result);

// The whole PGN text of one game: tag pairs, a blank line, movetext in lines of at most 79
// characters ending with the result, and a line feed. A record that breaks off ends with "*".
std::string PgnText(const TPgnTags &tags, const TRecordedGame &game);

// PgnText of the board's record.
std::string GamePgn(const TChessRules &board, const TPgnTags &tags);
