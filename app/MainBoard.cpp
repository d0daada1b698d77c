#include "app/Main.h"

#include "app/PeerLink.h"

#include "board/ChessBrd.h"

void TMainForm::BuildBoard() {
    ChessBrd1 = new TChessBrd(this);
    ChessBrd1->setObjectName(QStringLiteral("ChessBrd1"));
    ChessBrd1->SetBoardLines(true);
    ChessBrd1->SetBorderColor(clInactiveBorder);
    TFont coords;
    coords.Name = "Arial";
    coords.Height = -9;
    coords.Color = clWhite;
    ChessBrd1->SetCoordFont(coords);
    ChessBrd1->SetDisplayCoords(CoordSet::All());
    ChessBrd1->SetResizable(false);
    ChessBrd1->SetResizeMinSize(100);
    ChessBrd1->SetResizeMaxSize(1000);
    ChessBrd1->SetSizeOfBorder(24);
    ChessBrd1->SetSizeOfSquare(31);
    ChessBrd1->SetSquareColorDark(clGray);
    ChessBrd1->SetSquareColorLight(clWhite);
    ChessBrd1->SetStandardSize(StandardSet::Size32);
    ChessBrd1->SetWhiteOnTop(false);
    ChessBrd1->SetBounds(8, 28, 296, 296);
    ChessBrd1->SetCursor(crHandPoint);
    ChessBrd1->setFocusPolicy(Qt::NoFocus);
    ChessBrd1->setEnabled(false);

    ChessBrd1->OnCheck = [this](TObject *, Square, Square) { ChessBrd1Check(); };
    ChessBrd1->OnCastle = [this](TObject *, Square, Square) { ChessBrd1Castle(); };
    ChessBrd1->OnMate = [this](TObject *, Square, Square) { ChessBrd1Mate(); };
    ChessBrd1->OnEndDrag = [this](TObject *, TObject *, int, int) { OnEndDrag(); };
    // The held piece keeps received lines that would change the board waiting until it is let go.
    ChessBrd1->OnStartDrag = [this](TObject *, TDragObject *&) {
        if (Game.Hold == TBoardHold::Free)
            Game.Hold = TBoardHold::PieceHeld;
    };
    // A drop on a legal square turns the held piece into a move in progress; moves by local drops
    // are counted so that only a drag that moved sends a line.
    ChessBrd1->OnLegalMove = [this](TObject *, Square, Square) {
        Game.MoverWhite = !ChessBrd1->WhiteToMove();
        ++Game.MovesMade;
        if (Game.Hold == TBoardHold::PieceHeld) {
            Game.Hold = TBoardHold::MoveInProgress;
            Game.MoveConnection = Link->Serial();
            ++Game.LocalMovesMade;
            Game.LocalDraw = false;
        }
    };
    // The board keeps whatever piece a handler last set, so every promotion sets one.
    ChessBrd1->OnPromotion = [this](TObject *, Square, Square, char &piece) {
        piece = static_cast<char>(PromotionFor() - 'A' + 'a');
    };
    ChessBrd1->OnStaleMate = [this](TObject *, Square, Square) {
        DrawNotice(QStringLiteral("Stalemate, draw!!!"));
    };
    ChessBrd1->OnThreefoldPosition = [this](TObject *) {
        DrawNotice(QStringLiteral("Threefold repetition, draw!!!"));
    };
    ChessBrd1->OnOnlyTwoKingsLeft = [this](TObject *) {
        DrawNotice(QStringLiteral("Only two kings left, draw!!!"));
    };
}

void TMainForm::DetachBoard() {
    ChessBrd1->OnCheck = ChessBrd1->OnCastle = ChessBrd1->OnMate = ChessBrd1->OnLegalMove = nullptr;
    ChessBrd1->OnStartDrag = nullptr;
    ChessBrd1->OnPromotion = nullptr;
    ChessBrd1->OnStaleMate = nullptr;
    ChessBrd1->OnThreefoldPosition = ChessBrd1->OnOnlyTwoKingsLeft = nullptr;
    ChessBrd1->OnEndDrag = nullptr;
}
