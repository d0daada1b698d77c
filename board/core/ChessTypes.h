#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

// Squares in board order: rank 8 first, files A..H within a rank. Ordinal = (8 - rank) * 8 + file.
enum class Square : std::uint8_t {
    None,
    A8,
    B8,
    C8,
    D8,
    E8,
    F8,
    G8,
    H8,
    A7,
    B7,
    C7,
    D7,
    E7,
    F7,
    G7,
    H7,
    A6,
    B6,
    C6,
    D6,
    E6,
    F6,
    G6,
    H6,
    A5,
    B5,
    C5,
    D5,
    E5,
    F5,
    G5,
    H5,
    A4,
    B4,
    C4,
    D4,
    E4,
    F4,
    G4,
    H4,
    A3,
    B3,
    C3,
    D3,
    E3,
    F3,
    G3,
    H3,
    A2,
    B2,
    C2,
    D2,
    E2,
    F2,
    G2,
    H2,
    A1,
    B1,
    C1,
    D1,
    E1,
    F1,
    G1,
    H1
};

// Ordinal 0..64 of a square; 1..64 index the position string (1-based).
constexpr int Ord(Square sq) {
    return static_cast<int>(sq);
}

// Square of an ordinal; anything outside 1..64 gives Square::None.
constexpr Square SquareFromOrd(int ordinal) {
    return (ordinal >= 1 && ordinal <= 64) ? static_cast<Square>(ordinal) : Square::None;
}

// True for the 64 real squares; None and out-of-range values are off the board.
constexpr bool OnBoard(Square sq) {
    return Ord(sq) >= 1 && Ord(sq) <= 64;
}

enum class CanStillCastle : std::uint8_t {
    WhiteKingSide,
    WhiteQueenSide,
    BlackKingSide,
    BlackQueenSide
};

// One-byte set of castling rights: bit 1 WhiteKingSide, 2 WhiteQueenSide, 4 BlackKingSide, 8
// BlackQueenSide.
class CastleSet {
  public:
    constexpr CastleSet() = default;
    constexpr explicit CastleSet(std::uint8_t bits)
        : bits_(static_cast<std::uint8_t>(bits & 0x0F)) {}
    constexpr CastleSet(std::initializer_list<CanStillCastle> rights) {
        for (CanStillCastle right : rights)
            include(right);
    }

    static constexpr CastleSet All() { return CastleSet(std::uint8_t{0x0F}); }

    constexpr bool contains(CanStillCastle right) const { return (bits_ & Bit(right)) != 0; }
    constexpr void include(CanStillCastle right) {
        bits_ = static_cast<std::uint8_t>(bits_ | Bit(right));
    }
    constexpr void exclude(CanStillCastle right) {
        bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(right));
    }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr std::uint8_t Bits() const { return bits_; }

    friend constexpr bool operator==(CastleSet, CastleSet) = default;

  private:
    static constexpr std::uint8_t Bit(CanStillCastle right) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(right));
    }
    std::uint8_t bits_ = 0;
};

// All four castlings still allowed.
inline constexpr CastleSet AllCastlings = CastleSet::All();

// Colour of a piece on a square, and shade of a square for the view.
constexpr int ColorNone = -1;
constexpr int ColorBlack = 0;
constexpr int ColorWhite = 1;

// Base of everything that raises events; the Sender of every board event.
class TObject {
  public:
    virtual ~TObject() = default;
};

// Event slots: an empty std::function is an unassigned slot and is skipped.
using TMoveEvent = std::function<void(TObject *Sender, Square oldSq, Square newSq)>;
using TCaptureEvent =
    std::function<void(TObject *Sender, Square oldSq, Square newSq, char CapturedPiece)>;
using TOneSquareEvent = std::function<void(TObject *Sender, Square square)>;
using TPromotionEvent =
    std::function<void(TObject *Sender, Square oldSq, Square newSq, char &NewPiece)>;
using TNotifyEvent = std::function<void(TObject *Sender)>;

// One point of the game record: the position with one side to move and the move played from it.
// Board is empty in an entry that was never written.
struct MoveInfo {
    std::string Board;
    CastleSet Castling;
    Square FromSq = Square::None;
    Square ToSq = Square::None;
    Square EnPassantSq = Square::None;
};
