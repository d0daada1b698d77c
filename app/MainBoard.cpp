#include "app/Main.h"

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

    // The rules' own events go to the session, which wires them itself; the drag is the view's.
    ChessBrd1->OnStartDrag = [this](TObject *, TDragObject *&) { session_->PieceTaken(); };
    ChessBrd1->OnEndDrag = [this](TObject *, TObject *, int, int) { session_->DragEnded(); };
}
