#include "board/core/ChessRules.h"
#include "board/core/KingAttack.h"

#include <algorithm>

namespace {

// Clears a flag when the move ends, also when a handler throws.
class MoveScope {
  public:
    explicit MoveScope(bool &flag) : flag_(flag) { flag_ = true; }
    ~MoveScope() { flag_ = false; }
    MoveScope(const MoveScope &) = delete;
    MoveScope &operator=(const MoveScope &) = delete;

  private:
    bool &flag_;
};

struct RookHop {
    char king;
    Square kingFrom;
    Square kingTo;
    Square rookFrom;
    Square rookTo;
};

constexpr RookHop RookHops[] = {
    {'K', Square::E1, Square::G1, Square::H1, Square::F1},
    {'K', Square::E1, Square::C1, Square::A1, Square::D1},
    {'k', Square::E8, Square::G8, Square::H8, Square::F8},
    {'k', Square::E8, Square::C8, Square::A8, Square::D8},
};

struct RightsLost {
    Square from;
    CanStillCastle first;
    CanStillCastle second;
};

// Rights follow the from-square alone: a rook captured on its corner keeps its side's right.
constexpr RightsLost RightsByFromSquare[] = {
    {Square::A1, CanStillCastle::WhiteQueenSide, CanStillCastle::WhiteQueenSide},
    {Square::E1, CanStillCastle::WhiteQueenSide, CanStillCastle::WhiteKingSide},
    {Square::H1, CanStillCastle::WhiteKingSide, CanStillCastle::WhiteKingSide},
    {Square::A8, CanStillCastle::BlackQueenSide, CanStillCastle::BlackQueenSide},
    {Square::E8, CanStillCastle::BlackQueenSide, CanStillCastle::BlackKingSide},
    {Square::H8, CanStillCastle::BlackKingSide, CanStillCastle::BlackKingSide},
};

} // namespace

bool TChessRules::MakeMove(Square oldSq, Square newSq) {
    // A move asked for from inside a handler of another move would interleave with it.
    if (moveInProgress_ || !IsLegalMove(oldSq, newSq))
        return false;
    MoveScope scope(moveInProgress_);

    MoveInfo &before = Entry(currentMove_, whiteToMove_);
    before.Board = position_;
    before.Castling = castling_;
    before.FromSq = oldSq;
    before.ToSq = newSq;
    before.EnPassantSq = enPassant_;
    LastMoveNumber = currentMove_;
    LastWhiteToMove = whiteToMove_;

    if (!whiteToMove_)
        ++currentMove_;
    whiteToMove_ = !whiteToMove_;

    PlayMove(oldSq, newSq);
    FireEndOfMoveEvents(oldSq, newSq);
    return true;
}

void TChessRules::PlayMove(Square oldSq, Square newSq) {
    const char captured = PieceAt(newSq);
    const char moved = PieceAt(oldSq);
    SetSquare(newSq, moved);
    SetSquare(oldSq, ' ');
    DrawSquare(oldSq);
    DrawSquare(newSq);
    DrawPiece(newSq, moved);

    if (OnLegalMove)
        OnLegalMove(this, oldSq, newSq);
    if (captured != ' ' && OnCapture)
        OnCapture(this, oldSq, newSq, captured);

    const int toRank = RankOf(newSq);
    if ((PieceAt(newSq) == 'P' || PieceAt(newSq) == 'p') && (toRank == 8 || toRank == 1)) {
        if (OnPromotion)
            OnPromotion(this, oldSq, newSq, promotionPiece_);
        PromotePawn(newSq);
    }

    const char arrived = PieceAt(newSq);
    if (newSq == enPassant_ &&
        ((toRank == 6 && arrived == 'P') || (toRank == 3 && arrived == 'p'))) {
        const Square victim = SquareAt(FileOf(newSq), arrived == 'P' ? 5 : 4);
        if (OnCapture)
            OnCapture(this, oldSq, newSq, PieceAt(victim));
        SetSquare(victim, ' ');
        DrawSquare(victim);
    }

    const char landed = PieceAt(newSq);
    const int fromRank = RankOf(oldSq);
    if ((landed == 'P' && fromRank == 2 && toRank == 4) ||
        (landed == 'p' && fromRank == 7 && toRank == 5))
        enPassant_ = static_cast<Square>((Ord(oldSq) + Ord(newSq)) / 2);
    else
        enPassant_ = Square::None;

    for (const RookHop &hop : RookHops) {
        if (landed != hop.king || oldSq != hop.kingFrom || newSq != hop.kingTo)
            continue;
        const char rook = hop.king == 'K' ? 'R' : 'r';
        SetSquare(hop.rookTo, rook);
        SetSquare(hop.rookFrom, ' ');
        DrawSquare(hop.rookFrom);
        DrawPiece(hop.rookTo, rook);
        if (OnCastle)
            OnCastle(this, oldSq, newSq);
    }

    for (const RightsLost &lost : RightsByFromSquare) {
        if (oldSq == lost.from) {
            castling_.exclude(lost.first);
            castling_.exclude(lost.second);
        }
    }
}

// Check is judged on the board after the whole move (rook hopped, pawn promoted, en-passant pawn
// gone). A missing black king counts as attacked, so White's every move then checks.
// The new point is not recorded yet, so its record entry may still hold a position of an abandoned
// line; the repetition test waits for the record and only the moves themselves count here.
void TChessRules::FireEndOfMoveEvents(Square oldSq, Square newSq) {
    const bool check =
        KingAttacked(position_.data(), true) || KingAttacked(position_.data(), false);
    const bool canMove = HasMoveIgnoringRepetition();
    if (check) {
        if (OnCheck)
            OnCheck(this, oldSq, newSq);
        if (!canMove && OnMate)
            OnMate(this, oldSq, newSq);
    } else if (!canMove && OnStaleMate) {
        OnStaleMate(this, oldSq, newSq);
    }

    const bool onlyKings = std::all_of(position_.begin(), position_.end(),
                                       [](char c) { return c == ' ' || c == 'K' || c == 'k'; });
    if (onlyKings && OnOnlyTwoKingsLeft)
        OnOnlyTwoKingsLeft(this);

    RecordCurrent();
    LastMoveNumber = currentMove_;
    LastWhiteToMove = whiteToMove_;

    if (IsThreefoldPosition() && OnThreefoldPosition)
        OnThreefoldPosition(this);
}

void TChessRules::PromotePawn(Square sq) {
    if (!OnBoard(sq))
        return;
    const char piece = promotionPiece_;
    const char upper = (piece >= 'a' && piece <= 'z') ? static_cast<char>(piece - 32) : piece;
    const int rank = RankOf(sq);
    if (rank == 8)
        SetSquare(sq, upper);
    else if (rank == 1)
        SetSquare(sq, static_cast<char>(static_cast<unsigned char>(upper) + 32));
    DrawSquare(sq);
    DrawPiece(sq, PieceAt(sq));
}
