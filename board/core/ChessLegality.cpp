#include "board/core/ChessRules.h"
#include "board/core/KingAttack.h"

#include <algorithm>
#include <cstdlib>
#include <span>

namespace {

char Lower(char piece) {
    return (piece >= 'A' && piece <= 'Z') ? static_cast<char>(piece + 32) : piece;
}

struct Step {
    int file;
    int rank;
};

constexpr Step DiagonalSteps[] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
constexpr Step StraightSteps[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr Step KnightSteps[] = {{-2, -1}, {-2, 1}, {2, -1}, {2, 1},
                                {-1, -2}, {1, -2}, {-1, 2}, {1, 2}};
constexpr Step KingSteps[] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};

struct Castling {
    Square from;
    Square to;
    CanStillCastle right;
    char rook;
    Square rookSquare;
    Square mustBeEmpty[3];
    Square safe[3];
};

// Tried in this order; a None entry in mustBeEmpty ends the list.
constexpr Castling Castlings[] = {
    {Square::E1,
     Square::G1,
     CanStillCastle::WhiteKingSide,
     'R',
     Square::H1,
     {Square::F1, Square::G1, Square::None},
     {Square::E1, Square::F1, Square::G1}},
    {Square::E1,
     Square::C1,
     CanStillCastle::WhiteQueenSide,
     'R',
     Square::A1,
     {Square::B1, Square::C1, Square::D1},
     {Square::E1, Square::D1, Square::C1}},
    {Square::E8,
     Square::G8,
     CanStillCastle::BlackKingSide,
     'r',
     Square::H8,
     {Square::F8, Square::G8, Square::None},
     {Square::E8, Square::F8, Square::G8}},
    {Square::E8,
     Square::C8,
     CanStillCastle::BlackQueenSide,
     'r',
     Square::A8,
     {Square::B8, Square::C8, Square::D8},
     {Square::E8, Square::D8, Square::C8}},
};

} // namespace

bool TChessRules::IsLegalMove(Square oldSq, Square newSq) const {
    if (!OnBoard(oldSq) || !OnBoard(newSq))
        return false;
    if (IsThreefoldPosition())
        return false;
    return IsLegalIgnoringRepetition(oldSq, newSq);
}

bool TChessRules::IsLegalIgnoringRepetition(Square oldSq, Square newSq) const {
    const int color = PieceColor(oldSq);
    if (color != (whiteToMove_ ? ColorWhite : ColorBlack))
        return false;
    if (color == PieceColor(newSq))
        return false;
    if (!FollowsMovementRule(oldSq, newSq))
        return false;
    return MoverKingSafeAfter(oldSq, newSq, color == ColorWhite);
}

bool TChessRules::FollowsMovementRule(Square oldSq, Square newSq) const {
    switch (Lower(PieceAt(oldSq))) {
    case 'p':
        return ValidPawnMove(oldSq, newSq);
    case 'n':
        return ValidKnightMove(oldSq, newSq);
    case 'b':
        return ValidBishopMove(oldSq, newSq);
    case 'r':
        return ValidRookMove(oldSq, newSq);
    case 'q':
        return ValidQueenMove(oldSq, newSq);
    case 'k':
        return ValidKingMove(oldSq, newSq);
    default:
        return true; // a letter without a rule moves freely
    }
}

bool TChessRules::ValidPawnMove(Square oldSq, Square newSq) const {
    const int color = PieceColor(oldSq);
    if (color == ColorNone || !OnBoard(newSq))
        return false;
    const bool white = color == ColorWhite;
    const int forward = white ? 1 : -1;
    const int df = std::abs(FileOf(newSq) - FileOf(oldSq));
    if (RankOf(newSq) == RankOf(oldSq) + forward) {
        if (df == 0)
            return PieceColor(newSq) == ColorNone;
        if (df == 1)
            return PieceColor(newSq) == (white ? ColorBlack : ColorWhite) || newSq == enPassant_;
        return false;
    }
    const Square between = static_cast<Square>((Ord(oldSq) + Ord(newSq)) / 2);
    return RankOf(oldSq) == (white ? 2 : 7) && RankOf(newSq) == (white ? 4 : 5) && df == 0 &&
           PieceColor(newSq) == ColorNone && PieceColor(between) == ColorNone;
}

bool TChessRules::ValidKnightMove(Square oldSq, Square newSq) const {
    if (!OnBoard(oldSq) || !OnBoard(newSq))
        return false;
    const int df = std::abs(FileOf(newSq) - FileOf(oldSq));
    const int dr = std::abs(RankOf(newSq) - RankOf(oldSq));
    return (df == 2 && dr == 1) || (df == 1 && dr == 2);
}

bool TChessRules::ValidLineMove(Square oldSq, Square newSq, bool diagonal, bool straight) const {
    if (!OnBoard(oldSq) || !OnBoard(newSq))
        return false;
    const int mover = PieceColor(oldSq);
    const auto walk = [&](const Step(&steps)[4]) {
        for (Step s : steps) {
            for (int n = 1; n <= 7; ++n) {
                const Square at = SquareAt(FileOf(oldSq) + n * s.file, RankOf(oldSq) + n * s.rank);
                if (at == Square::None)
                    break;
                const int color = PieceColor(at);
                if (at == newSq && (color == ColorNone || color != mover))
                    return true;
                if (color != ColorNone)
                    break;
            }
        }
        return false;
    };
    return (diagonal && walk(DiagonalSteps)) || (straight && walk(StraightSteps));
}

bool TChessRules::ValidBishopMove(Square oldSq, Square newSq) const {
    return ValidLineMove(oldSq, newSq, true, false);
}

bool TChessRules::ValidRookMove(Square oldSq, Square newSq) const {
    return ValidLineMove(oldSq, newSq, false, true);
}

bool TChessRules::ValidQueenMove(Square oldSq, Square newSq) const {
    return ValidLineMove(oldSq, newSq, true, true);
}

bool TChessRules::ValidKingMove(Square oldSq, Square newSq) const {
    if (!OnBoard(oldSq) || !OnBoard(newSq))
        return false;
    if (std::abs(FileOf(newSq) - FileOf(oldSq)) <= 1 &&
        std::abs(RankOf(newSq) - RankOf(oldSq)) <= 1)
        return true;
    return CastlingValid(oldSq, newSq);
}

bool TChessRules::CastlingValid(Square oldSq, Square newSq) const {
    for (const Castling &c : Castlings) {
        if (oldSq != c.from || newSq != c.to || !castling_.contains(c.right) ||
            PieceAt(c.rookSquare) != c.rook)
            continue;
        const bool white = c.rook == 'R';
        const bool clear =
            std::all_of(std::begin(c.mustBeEmpty), std::end(c.mustBeEmpty), [&](Square sq) {
                return sq == Square::None || PieceColor(sq) == ColorNone;
            });
        const bool safe =
            clear && std::none_of(std::begin(c.safe), std::end(c.safe), [&](Square sq) {
                return white ? WhiteInCheckAfter(c.from, sq) : BlackInCheckAfter(c.from, sq);
            });
        if (safe)
            return true;
    }
    return false;
}

TChessRules::Trial TChessRules::TrialBoard(Square oldSq, Square newSq) const {
    Trial trial;
    std::copy_n(position_.data(), 64, trial.data());
    const char moving = trial[static_cast<std::size_t>(Ord(oldSq) - 1)];
    trial[static_cast<std::size_t>(Ord(oldSq) - 1)] = ' ';
    trial[static_cast<std::size_t>(Ord(newSq) - 1)] = moving;
    return trial;
}

Square TChessRules::EnPassantVictim(Square oldSq, Square newSq) const {
    if (newSq != enPassant_ || newSq == Square::None)
        return Square::None;
    const char moving = PieceAt(oldSq);
    if (RankOf(newSq) == 6 && moving == 'P')
        return SquareAt(FileOf(newSq), 5);
    if (RankOf(newSq) == 3 && moving == 'p')
        return SquareAt(FileOf(newSq), 4);
    return Square::None;
}

// The mover's king is judged with an en-passant victim already gone, so a capture that uncovers the
// king along the rank is refused and one that removes a checking pawn is allowed.
bool TChessRules::MoverKingSafeAfter(Square oldSq, Square newSq, bool whiteMover) const {
    Trial trial = TrialBoard(oldSq, newSq);
    const Square victim = EnPassantVictim(oldSq, newSq);
    if (victim != Square::None)
        trial[static_cast<std::size_t>(Ord(victim) - 1)] = ' ';
    return !KingAttacked(trial.data(), whiteMover);
}

bool TChessRules::WhiteInCheckAfter(Square oldSq, Square newSq) const {
    if (!OnBoard(oldSq) || !OnBoard(newSq))
        return KingAttacked(position_.data(), true);
    return KingAttacked(TrialBoard(oldSq, newSq).data(), true);
}

bool TChessRules::BlackInCheckAfter(Square oldSq, Square newSq) const {
    if (!OnBoard(oldSq) || !OnBoard(newSq))
        return KingAttacked(position_.data(), false);
    return KingAttacked(TrialBoard(oldSq, newSq).data(), false);
}

// Visits every square the piece on from could possibly reach under its movement rule (a superset);
// stops early and answers true once visit answers true.
template <typename Visit> bool TChessRules::ForEachCandidate(Square from, Visit &&visit) const {
    const int file = FileOf(from);
    const int rank = RankOf(from);
    const auto jumps = [&](std::span<const Step> steps) {
        for (Step s : steps) {
            const Square to = SquareAt(file + s.file, rank + s.rank);
            if (to != Square::None && visit(to))
                return true;
        }
        return false;
    };
    const auto rays = [&](const Step(&steps)[4]) {
        for (Step s : steps) {
            for (int n = 1; n <= 7; ++n) {
                const Square to = SquareAt(file + n * s.file, rank + n * s.rank);
                if (to == Square::None)
                    break;
                if (visit(to))
                    return true;
                if (PieceColor(to) != ColorNone)
                    break;
            }
        }
        return false;
    };
    const char piece = PieceAt(from);
    switch (Lower(piece)) {
    case 'p': {
        const int forward = PieceColor(from) == ColorWhite ? 1 : -1;
        const Step pawnSteps[] = {{-1, forward}, {0, forward}, {1, forward}, {0, 2 * forward}};
        return jumps(pawnSteps);
    }
    case 'n':
        return jumps(KnightSteps);
    case 'b':
        return rays(DiagonalSteps);
    case 'r':
        return rays(StraightSteps);
    case 'q':
        return rays(DiagonalSteps) || rays(StraightSteps);
    case 'k': {
        if (jumps(KingSteps))
            return true;
        for (const Castling &c : Castlings)
            if (c.from == from && visit(c.to))
                return true;
        return false;
    }
    default:
        for (int ordinal = 1; ordinal <= 64; ++ordinal)
            if (visit(static_cast<Square>(ordinal)))
                return true;
        return false;
    }
}

// Same answer as trying IsLegalMove on all 64 x 64 pairs, with the repetition scan done once.
bool TChessRules::CanMove() const {
    return !IsThreefoldPosition() && HasMoveIgnoringRepetition();
}

bool TChessRules::HasMoveIgnoringRepetition() const {
    const int side = whiteToMove_ ? ColorWhite : ColorBlack;
    for (int ordinal = 1; ordinal <= 64; ++ordinal) {
        const Square from = static_cast<Square>(ordinal);
        if (PieceColor(from) != side)
            continue;
        if (ForEachCandidate(from, [&](Square to) { return IsLegalIgnoringRepetition(from, to); }))
            return true;
    }
    return false;
}

std::vector<std::pair<Square, Square>> TChessRules::LegalMoves() const {
    std::vector<std::pair<Square, Square>> moves;
    if (IsThreefoldPosition())
        return moves;
    const int side = whiteToMove_ ? ColorWhite : ColorBlack;
    for (int ordinal = 1; ordinal <= 64; ++ordinal) {
        const Square from = static_cast<Square>(ordinal);
        if (PieceColor(from) != side)
            continue;
        const std::size_t first = moves.size();
        ForEachCandidate(from, [&](Square to) {
            if (IsLegalIgnoringRepetition(from, to))
                moves.emplace_back(from, to);
            return false;
        });
        std::sort(moves.begin() + static_cast<std::ptrdiff_t>(first), moves.end());
    }
    return moves;
}
