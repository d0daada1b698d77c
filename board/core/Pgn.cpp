#include "board/core/Pgn.h"

#include <cstdio>

namespace {

constexpr std::string_view StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr std::size_t MaxLine = 79;

char LetterOn(const std::string &board, Square sq) {
    return OnBoard(sq) && board.size() == 64 ? board[static_cast<std::size_t>(Ord(sq) - 1)] : ' ';
}

TPositionState StateOf(const MoveInfo &entry, bool whiteToMove) {
    return {entry.Board, whiteToMove, entry.Castling, entry.EnPassantSq};
}

// A tag value is one line between quotes: quotes and backslashes are escaped, control
// characters (a peer's label could carry a line feed) become spaces.
std::string TagValue(std::string_view text) {
    std::string value;
    for (const char c : text) {
        if (c == '"' || c == '\\')
            value += '\\';
        value += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    return value;
}

void AddTag(std::string &out, std::string_view name, std::string_view value) {
    out.append("[").append(name).append(" \"").append(TagValue(value)).append("\"]\n");
}

} // namespace

TRecordedGame ReadGameRecord(const TChessRules &board) {
    TRecordedGame game;
    game.FirstMoveNumber = board.FirstMoveNumber;
    int number = board.FirstMoveNumber;
    bool white = true;
    const MoveInfo *entry = &board.MoveHistory(number, white);
    if (board.LastMoveNumber < board.FirstMoveNumber || entry->Board.size() != 64) {
        // Nothing recorded yet: the game is the position on the board, before its first move.
        game.FinalFen = PositionFen(PositionStateOf(board), 0, board.CurrentMove());
        if (game.FinalFen != StartFen)
            game.SetUpFen = game.FinalFen;
        return game;
    }

    TPositionState state = StateOf(*entry, white);
    const std::string firstFen = PositionFen(state, 0, number);
    if (firstFen != StartFen)
        game.SetUpFen = firstFen;

    int halfMoves = 0;
    while (number < board.LastMoveNumber || (white && !board.LastWhiteToMove)) {
        const int nextNumber = white ? number : number + 1;
        const MoveInfo &next = board.MoveHistory(nextNumber, !white);
        const char mover = LetterOn(state.Board, entry->FromSq);
        const bool pawn = mover == 'P' || mover == 'p';
        // The record keeps no promotion letter; the next entry shows what the pawn became.
        const char promotion = pawn ? LetterOn(next.Board, entry->ToSq) : 'Q';
        std::string after;
        const std::string san = SanOfMove(state, entry->FromSq, entry->ToSq, promotion, &after);
        if (san.empty() || after != next.Board) {
            game.Complete = false;
            break;
        }
        game.Moves.push_back(san);
        const bool capture =
            LetterOn(state.Board, entry->ToSq) != ' ' ||
            (pawn && TChessRules::FileOf(entry->FromSq) != TChessRules::FileOf(entry->ToSq));
        halfMoves = pawn || capture ? 0 : halfMoves + 1;
        number = nextNumber;
        white = !white;
        entry = &next;
        state = StateOf(next, white);
    }
    game.FinalFen = PositionFen(state, halfMoves, number);
    return game;
}

std::string_view ResultText(TGameResult result) {
    switch (result) {
    case TGameResult::WhiteWins:
        return "1-0";
    case TGameResult::BlackWins:
        return "0-1";
    case TGameResult::Draw:
        return "1/2-1/2";
    case TGameResult::Unfinished:
        break;
    }
    return "*";
}

std::string PgnDate(int year, int month, int day) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d", year, month, day);
    return text;
}

TPgnTags SessionPgnTags(bool localPlaysWhite, std::string_view opponent, std::string_view site,
                        std::string_view date, int minutesPerSide, TGameResult result) {
    TPgnTags tags;
    tags.Site = site;
    tags.Date = date;
    tags.White = localPlaysWhite ? "Local" : opponent;
    tags.Black = localPlaysWhite ? opponent : "Local";
    tags.Result = result;
    tags.SecondsPerSide = minutesPerSide > 0 ? std::int64_t{minutesPerSide} * 60 : 0;
    return tags;
}

std::string PgnText(const TPgnTags &tags, const TRecordedGame &game) {
    // A record that breaks off cannot carry the game's result.
    const std::string_view result =
        game.Complete ? ResultText(tags.Result) : ResultText(TGameResult::Unfinished);
    std::string out;
    AddTag(out, "Event", "Boardwick game");
    AddTag(out, "Site", tags.Site);
    AddTag(out, "Date", tags.Date);
    AddTag(out, "Round", "-");
    AddTag(out, "White", tags.White);
    AddTag(out, "Black", tags.Black);
    AddTag(out, "Result", result);
    AddTag(out, "TimeControl", tags.SecondsPerSide > 0 ? std::to_string(tags.SecondsPerSide) : "-");
    if (!game.SetUpFen.empty()) {
        AddTag(out, "SetUp", "1");
        AddTag(out, "FEN", game.SetUpFen);
    }
    out += '\n';

    std::string line;
    const auto put = [&](std::string_view token) {
        if (!line.empty() && line.size() + 1 + token.size() > MaxLine) {
            out.append(line).push_back('\n');
            line.clear();
        }
        if (!line.empty())
            line += ' ';
        line.append(token);
    };
    int number = game.FirstMoveNumber;
    for (std::size_t i = 0; i < game.Moves.size(); ++i) {
        if (i % 2 == 0)
            put(std::to_string(number) + ".");
        else
            ++number;
        put(game.Moves[i]);
    }
    put(result);
    out.append(line).push_back('\n');
    return out;
}

std::string GamePgn(const TChessRules &board, const TPgnTags &tags) {
    return PgnText(tags, ReadGameRecord(board));
}
