#include "board/core/Notation.h"

#include <cctype>

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsPromotionLetter(char piece) {
    const char p = Upper(piece);
    return p == 'N' || p == 'B' || p == 'R' || p == 'Q';
}

std::string SanSquare(Square sq) {
    return {static_cast<char>('a' + TChessRules::FileOf(sq) - 1),
            static_cast<char>('0' + TChessRules::RankOf(sq))};
}

// From-square details SAN needs when another piece of the same kind can reach the same square:
// the file if that tells them apart, else the rank, else both.
std::string Disambiguation(const TChessRules &board, Square from, Square to) {
    bool rival = false;
    bool sameFile = false;
    bool sameRank = false;
    for (const auto &[otherFrom, otherTo] : board.LegalMoves()) {
        if (otherTo != to || otherFrom == from || board.PieceAt(otherFrom) != board.PieceAt(from))
            continue;
        rival = true;
        sameFile = sameFile || TChessRules::FileOf(otherFrom) == TChessRules::FileOf(from);
        sameRank = sameRank || TChessRules::RankOf(otherFrom) == TChessRules::RankOf(from);
    }
    if (!rival)
        return {};
    const std::string name = SanSquare(from);
    if (!sameFile)
        return name.substr(0, 1);
    if (!sameRank)
        return name.substr(1, 1);
    return name;
}

// "+" or "#" for the position the move leaves, played on a scratch board of its own.
std::string CheckSuffix(const TPositionState &state, Square from, Square to, char promotion,
                        std::string *boardAfter) {
    TChessRules after;
    LoadPositionState(after, state);
    bool check = false;
    bool mate = false;
    after.OnPromotion = [promotion](TObject *, Square, Square, char &NewPiece) {
        NewPiece = Lower(promotion);
    };
    after.OnCheck = [&check](TObject *, Square, Square) { check = true; };
    after.OnMate = [&mate](TObject *, Square, Square) { mate = true; };
    if (!after.MakeMove(from, to))
        return {};
    if (boardAfter != nullptr)
        *boardAfter = after.Position();
    return mate ? "#" : check ? "+" : "";
}

} // namespace

TPositionState PositionStateOf(const TChessRules &board) {
    return {board.Position(), board.WhiteToMove(), board.CastlingAllowed(), board.EnPassant()};
}

void LoadPositionState(TChessRules &board, const TPositionState &state) {
    board.LoadPosition(state.Board);
    board.SetWhiteToMove(state.WhiteToMove);
    board.SetCastlingAllowed(state.Castling);
    board.SetEnPassant(state.EnPassant);
}

std::string SanOfMove(const TPositionState &state, Square from, Square to, char promotion,
                      std::string *boardAfter) {
    // A board of its own has no record, so a repeated position does not block its moves.
    TChessRules board;
    LoadPositionState(board, state);
    if (!board.IsLegalMove(from, to))
        return {};

    const char piece = Upper(board.PieceAt(from));
    const int fileStep = TChessRules::FileOf(to) - TChessRules::FileOf(from);
    std::string san;
    if (piece == 'K' && (fileStep == 2 || fileStep == -2)) {
        san = fileStep > 0 ? "O-O" : "O-O-O";
    } else if (piece == 'P') {
        // A pawn that changes file captures, en passant included.
        if (fileStep != 0) {
            san += SanSquare(from).front();
            san += 'x';
        }
        san += SanSquare(to);
        const int rank = TChessRules::RankOf(to);
        if (rank == 8 || rank == 1) {
            if (!IsPromotionLetter(promotion))
                return {};
            san += '=';
            san += Upper(promotion);
        }
    } else {
        san += piece;
        san += Disambiguation(board, from, to);
        if (board.PieceAt(to) != ' ')
            san += "x";
        san += SanSquare(to);
    }
    return san + CheckSuffix(state, from, to, promotion, boardAfter);
}

std::string SanOfMove(const TChessRules &board, Square from, Square to, char promotion) {
    return SanOfMove(PositionStateOf(board), from, to, promotion);
}

bool IsPromotionMove(const TChessRules &board, Square from, Square to) {
    const char piece = board.PieceAt(from);
    const int rank = TChessRules::RankOf(to);
    return ((piece == 'P' && rank == 8) || (piece == 'p' && rank == 1)) &&
           board.IsLegalMove(from, to);
}

std::string PositionFen(const TPositionState &state, int halfMoveClock, int fullMoveNumber) {
    TChessRules board;
    LoadPositionState(board, state);
    std::string fen;
    for (int rank = 8; rank >= 1; --rank) {
        int empty = 0;
        for (int file = 1; file <= 8; ++file) {
            const char letter = board.PieceAt(TChessRules::SquareAt(file, rank));
            if (letter == ' ') {
                ++empty;
                continue;
            }
            if (empty > 0)
                fen += static_cast<char>('0' + empty);
            empty = 0;
            fen += letter;
        }
        if (empty > 0)
            fen += static_cast<char>('0' + empty);
        if (rank > 1)
            fen += '/';
    }
    fen += state.WhiteToMove ? " w " : " b ";

    struct Right {
        CanStillCastle right;
        char letter;
        Square king;
        Square rook;
    };
    static constexpr Right Rights[] = {
        {CanStillCastle::WhiteKingSide, 'K', Square::E1, Square::H1},
        {CanStillCastle::WhiteQueenSide, 'Q', Square::E1, Square::A1},
        {CanStillCastle::BlackKingSide, 'k', Square::E8, Square::H8},
        {CanStillCastle::BlackQueenSide, 'q', Square::E8, Square::A8},
    };
    std::string castling;
    for (const Right &r : Rights) {
        const bool white = r.letter == 'K' || r.letter == 'Q';
        if (state.Castling.contains(r.right) && board.PieceAt(r.king) == (white ? 'K' : 'k') &&
            board.PieceAt(r.rook) == (white ? 'R' : 'r'))
            castling += r.letter;
    }
    fen += castling.empty() ? "-" : castling;
    fen += ' ';
    fen += board.EnPassant() == Square::None ? "-" : SanSquare(board.EnPassant());
    fen += ' ' + std::to_string(halfMoveClock) + ' ' + std::to_string(fullMoveNumber);
    return fen;
}
