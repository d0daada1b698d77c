#include "tests/rules/RulesTestSupport.h"

#include <map>

Square Sq(std::string_view name) {
    if (name.size() != 2)
        return Square::None;
    return TChessRules::SquareAt(name[0] - 'A' + 1, name[1] - '0');
}

std::string Name(Square sq) {
    if (sq == Square::None)
        return "--";
    return {static_cast<char>('A' + TChessRules::FileOf(sq) - 1),
            static_cast<char>('0' + TChessRules::RankOf(sq))};
}

std::string Placement(std::string_view fenBoard) {
    std::string out;
    for (char c : fenBoard) {
        if (c >= '1' && c <= '8')
            out.append(static_cast<std::size_t>(c - '0'), ' ');
        else if (c != '/')
            out.push_back(c);
    }
    return out;
}

void SetUpBoard(TChessRules &board, std::string_view fenBoard, bool whiteToMove, CastleSet castling,
                Square enPassant) {
    board.ResetGame();
    board.LoadPosition(Placement(fenBoard));
    board.SetWhiteToMove(whiteToMove);
    board.SetCastlingAllowed(castling);
    board.SetEnPassant(enPassant);
}

bool Play(TChessRules &board, std::string_view moves) {
    for (std::size_t at = 0; at + 5 <= moves.size();) {
        if (!board.MakeMove(Sq(moves.substr(at, 2)), Sq(moves.substr(at + 3, 2))))
            return false;
        at += 6;
    }
    return true;
}

bool PlayQuietGame(TChessRules &board, int halfMoves) {
    std::map<std::string, int> seen{{board.Position(), 1}};
    for (int i = 0; i < halfMoves; ++i) {
        const int number = board.CurrentMove();
        const bool white = board.WhiteToMove();
        std::pair<Square, Square> best{Square::None, Square::None};
        int bestCount = 2;
        for (const auto &[from, to] : board.LegalMoves()) {
            if (board.PieceAt(to) != ' ' || !board.MakeMove(from, to))
                continue;
            const int count = seen[board.Position()];
            if (count < bestCount && board.CanMove()) {
                best = {from, to};
                bestCount = count;
            }
            board.GotoMove(number, white);
        }
        // Trial moves moved the end of the record; put it back before the chosen move.
        board.LastMoveNumber = number;
        board.LastWhiteToMove = white;
        if (best.first == Square::None || !board.MakeMove(best.first, best.second))
            return false;
        ++seen[board.Position()];
    }
    return true;
}

RecordingBoard::RecordingBoard() {
    const auto move = [this](const char *what) {
        return [this, what](TObject *sender, Square from, Square to) {
            events.push_back(std::string(what) + " " + Name(from) + "-" + Name(to) +
                             (sender == this ? "" : " ?"));
        };
    };
    OnLegalMove = move("Legal");
    OnCheck = move("Check");
    OnMate = move("Mate");
    OnStaleMate = move("StaleMate");
    OnCastle = move("Castle");
    OnCapture = [this](TObject *, Square from, Square to, char captured) {
        events.push_back("Capture " + Name(from) + "-" + Name(to) + " " + captured);
    };
    OnPromotion = [this](TObject *, Square from, Square to, char &piece) {
        events.push_back("Promotion " + Name(from) + "-" + Name(to) + " " + piece);
        if (promoteTo != '\0')
            piece = promoteTo;
    };
    OnIllegalMove = [this](TObject *, Square sq) { events.push_back("Illegal " + Name(sq)); };
    OnOnlyTwoKingsLeft = [this](TObject *) { events.push_back("TwoKings"); };
    OnThreefoldPosition = [this](TObject *) { events.push_back("Threefold"); };
}

void RecordingBoard::DrawSquare(Square sq) {
    paints.push_back("Square " + Name(sq));
}

void RecordingBoard::DrawPiece(Square sq, char Piece) {
    paints.push_back("Piece " + Name(sq) + " " + Piece);
}

void RecordingBoard::RedrawChangedSquares(const std::string &oldPosition) {
    std::string changed;
    for (int i = 1; i <= 64; ++i)
        if (oldPosition[static_cast<std::size_t>(i - 1)] !=
            Position()[static_cast<std::size_t>(i - 1)])
            changed += (changed.empty() ? "" : " ") + Name(static_cast<Square>(i));
    paints.push_back("Changed " + changed);
}

void RecordingBoard::RepaintBoard() {
    paints.push_back("Board");
}
