#pragma once

#include "board/core/ChessTypes.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

// The rules side of the board control: position, legality, moves with their events, and the game
// record. Knows nothing of painting; it asks for repaints through the virtual hooks, which are
// empty here. Every rules operation answers a bool and changes nothing when it refuses.
class TChessRules : public TObject {
  public:
    static constexpr const char *StartPosition =
        "rnbqkbnrpppppppp                                PPPPPPPPRNBQKBNR";

    TChessRules();
    ~TChessRules() override = default;

    // Square arithmetic; a file or rank outside 1..8 gives Square::None. None has file 0 and rank
    // 9, so it prints as "@9".
    static Square SquareAt(int FileNo, int RankNo);
    static int FileOf(Square sq);
    static int RankOf(Square sq);
    // "E2" for Square::E2: file letter and rank digit, so None prints as "@9".
    static std::string SquareName(Square sq);
    // Colour class of a piece letter: 'B'..'R' white, 'b'..'r' black, else none.
    static int ColorOfLetter(char piece);

    // ColorWhite, ColorBlack or ColorNone for the letter on sq (None for Square::None).
    int PieceColor(Square sq) const;
    // The letter on sq, a space for an empty square or Square::None.
    char PieceAt(Square sq) const;

    // Properties. Writers store without checks, except where noted.
    const std::string &Position() const { return position_; }
    void SetPosition(const std::string &Value) { LoadPosition(Value); }
    bool WhiteToMove() const { return whiteToMove_; }
    void SetWhiteToMove(bool Value) { whiteToMove_ = Value; }
    CastleSet CastlingAllowed() const { return castling_; }
    void SetCastlingAllowed(CastleSet Value) { castling_ = Value; }
    Square EnPassant() const { return enPassant_; }
    // Accepts only squares on ranks 3 and 6; anything else (None included) is ignored.
    void SetEnPassant(Square Value);
    int CurrentMove() const { return currentMove_; }
    // The move number is kept by the rules alone; writing it has no effect.
    void SetCurrentMove(int Value);

    // Copies up to 64 piece letters (others become empty, a NUL ends the copy); "init"/"newgame" in
    // any case gives the start position. Repaints the whole board; nothing but the placement
    // changes.
    void LoadPosition(const std::string &Value);
    // Start position, White to move, move 1, record bounds at move 1, all castlings, no en-passant
    // square. Repaints nothing; keeps the promotion piece and the stored record entries.
    void ResetGame();

    // Game record bounds; the session writes these directly.
    int FirstMoveNumber = 1;
    int LastMoveNumber = 1;
    bool LastWhiteToMove = true;
    // Entry (MoveNumber, White or Black); an entry never written (or outside the record) is empty.
    const MoveInfo &MoveHistory(int MoveNumber, bool WhiteSide) const;

    // Legality of a move for the side to move.
    bool IsLegalMove(Square oldSq, Square newSq) const;
    bool ValidPawnMove(Square oldSq, Square newSq) const;
    bool ValidKnightMove(Square oldSq, Square newSq) const;
    bool ValidBishopMove(Square oldSq, Square newSq) const;
    bool ValidRookMove(Square oldSq, Square newSq) const;
    bool ValidQueenMove(Square oldSq, Square newSq) const;
    bool ValidKingMove(Square oldSq, Square newSq) const;
    // Is that king attacked once the piece on oldSq alone stands on newSq? A missing black king
    // counts as attacked, a missing white king as not attacked.
    bool WhiteInCheckAfter(Square oldSq, Square newSq) const;
    bool BlackInCheckAfter(Square oldSq, Square newSq) const;
    // Does the side to move have any legal move?
    bool CanMove() const;
    // Every legal (from, to) pair for the side to move, ordered by from then to ordinal.
    std::vector<std::pair<Square, Square>> LegalMoves() const;

    // Plays a legal move with all its events; False (nothing changed, nothing fired) when illegal
    // or when called from a handler while another move is still being played.
    bool MakeMove(Square oldSq, Square newSq);
    // Replaces the pawn on rank 8 or 1 of sq by the promotion piece and repaints the square.
    void PromotePawn(Square sq);

    // Navigation through the record; no events fire. False (nothing changed) outside the record.
    bool GotoMove(int MoveNumber, bool WhiteSide);
    bool MoveBack();
    bool MoveForward();
    // One line per record entry: "12. E2-E4" for White, 14 spaces then "E7-E5" for Black.
    std::vector<std::string> GetMoveList() const;
    // Does the current entry's placement occur in at least two earlier entries?
    bool IsThreefoldPosition() const;

    TMoveEvent OnLegalMove;
    TMoveEvent OnCheck;
    TMoveEvent OnMate;
    TMoveEvent OnStaleMate;
    TMoveEvent OnCastle;
    TCaptureEvent OnCapture;
    TOneSquareEvent OnIllegalMove;
    TPromotionEvent OnPromotion;
    TNotifyEvent OnOnlyTwoKingsLeft;
    TNotifyEvent OnThreefoldPosition;

    // Repaint hooks for the view; the rules call them right where the board changes.
    virtual void DrawSquare(Square sq) { (void)sq; }
    virtual void DrawPiece(Square sq, char Piece) { (void)sq, (void)Piece; }
    virtual void RedrawChangedSquares(const std::string &oldPosition) { (void)oldPosition; }
    virtual void RepaintBoard() {}

  protected:
    // The letter a promoting pawn becomes (lower case 'q' at creation); OnPromotion may replace it.
    char PromotionPiece() const { return promotionPiece_; }
    void SetPromotionPiece(char Value) { promotionPiece_ = Value; }

  private:
    using Trial = std::array<char, 64>;

    bool IsLegalIgnoringRepetition(Square oldSq, Square newSq) const;
    bool HasMoveIgnoringRepetition() const;
    bool FollowsMovementRule(Square oldSq, Square newSq) const;
    bool ValidLineMove(Square oldSq, Square newSq, bool diagonal, bool straight) const;
    bool CastlingValid(Square oldSq, Square newSq) const;
    bool MoverKingSafeAfter(Square oldSq, Square newSq, bool whiteMover) const;
    Trial TrialBoard(Square oldSq, Square newSq) const;
    Square EnPassantVictim(Square oldSq, Square newSq) const;
    template <typename Visit> bool ForEachCandidate(Square from, Visit &&visit) const;

    void PlayMove(Square oldSq, Square newSq);
    void FireEndOfMoveEvents(Square oldSq, Square newSq);
    void SetSquare(Square sq, char piece) {
        position_[static_cast<std::size_t>(Ord(sq) - 1)] = piece;
    }
    MoveInfo &Entry(int MoveNumber, bool WhiteSide);
    void RecordCurrent();

    std::string position_;
    bool whiteToMove_ = true;
    CastleSet castling_ = AllCastlings;
    Square enPassant_ = Square::None;
    int currentMove_ = 1;
    char promotionPiece_ = 'q';
    bool moveInProgress_ = false;
    std::vector<MoveInfo> history_;
};
