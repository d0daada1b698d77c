#include "board/ChessBrd.h"
#include "board/DragOverlay.h"

#include <QGuiApplication>
#include <cstdlib>

TChessBrd *TChessBrd::dragSource_ = nullptr;

namespace {
// The pointer must move this far, in x or in y, before a pending drag becomes active.
constexpr int DragThreshold = 5;
} // namespace

TChessBrd::~TChessBrd() {
    ForgetDrag();
    // The floating piece lives on the parent window and must not stay there after the board.
    if (overlay_ != nullptr) {
        overlay_->hide();
        overlay_->deleteLater();
    }
}

const QWidget *TChessBrd::DragImageWidget() const {
    return overlay_.data();
}

void TChessBrd::BeginDrag(int X, int Y) {
    if (dragSource_ != nullptr) // one drag in the whole program
        return;
    dragSource_ = this;
    drag_ = TDragTrack{};
    drag_.PressGlobal = mapToGlobal(QPoint(X, Y));
    leftPressed_ = false;
    TDragObject *dragObject = nullptr;
    if (OnStartDrag)
        OnStartDrag(this, dragObject);
    if (dragSource_ != this) // the handler ended it already
        return;
    drag_.Source = dragObject != nullptr ? static_cast<TObject *>(dragObject) : this;
    if (isVisible()) {
        grabMouse();
        drag_.Grabbed = true;
    }
}

bool TChessBrd::IsBoardUnder(const QPoint &pos) const {
    if (!rect().contains(pos))
        return false;
    const QWidget *top = window();
    if (top == this)
        return true;
    return top->childAt(mapTo(top, pos)) == this;
}

bool TChessBrd::AskDragOver(const QPoint &pos, TDragState State) {
    bool accept = false;
    DragOver(drag_.Source, pos.x(), pos.y(), State, accept);
    return accept;
}

void TChessBrd::DragPointerMoved(const QPoint &pos, const QPoint &globalPos) {
    if (!drag_.Active) {
        const QPoint moved = globalPos - drag_.PressGlobal;
        if (std::abs(moved.x()) < DragThreshold && std::abs(moved.y()) < DragThreshold)
            return;
        drag_.Active = true;
        QGuiApplication::setOverrideCursor(QCursor(CursorShapeOf(crNoDrop)));
        drag_.PointerSet = true;
    }
    const bool over = IsBoardUnder(pos);
    if (over != drag_.OverBoard) {
        if (drag_.OverBoard)
            AskDragOver(pos, TDragState::dsDragLeave);
        drag_.OverBoard = over;
        if (over && IsDragging())
            AskDragOver(pos, TDragState::dsDragEnter);
    }
    if (!IsDragging()) // a handler ended the drag
        return;
    const bool accepting = over && AskDragOver(pos, TDragState::dsDragMove);
    if (IsDragging())
        QGuiApplication::changeOverrideCursor(
            QCursor(CursorShapeOf(accepting ? dragCursor_ : crNoDrop)));
}

void TChessBrd::DragReleased(const QPoint &pos) {
    TObject *source = drag_.Source;
    const bool accepted =
        drag_.Active && IsBoardUnder(pos) && AskDragOver(pos, TDragState::dsDragLeave);
    if (!IsDragging())
        return;
    // The drag is forgotten before the drop runs, so a modal box opened by a move event
    // cancels nothing.
    ForgetDrag();
    if (accepted) {
        DragDrop(source, pos.x(), pos.y());
        if (OnEndDrag)
            OnEndDrag(this, this, pos.x(), pos.y());
    } else {
        EndCancelled();
    }
}

void TChessBrd::EndCancelled() {
    DropCancelled();
    if (OnEndDrag)
        OnEndDrag(this, nullptr, 0, 0);
}

void TChessBrd::ForgetDrag() {
    if (dragSource_ != this)
        return;
    if (drag_.Grabbed)
        releaseMouse();
    if (drag_.PointerSet)
        QGuiApplication::restoreOverrideCursor();
    drag_ = TDragTrack{};
    dragSource_ = nullptr;
}

void TChessBrd::CancelDrag() {
    if (!IsDragging())
        return;
    ForgetDrag();
    EndCancelled();
}

void TChessBrd::ShowDragImage(int X, int Y) {
    const int half = sizeOfSquare_ / 2;
    QWidget *host = parentWidget() != nullptr ? parentWidget() : this;
    const QPoint offset = host == this ? QPoint(0, 0) : QPoint(Left(), Top());
    if (!dragImageShowing_) {
        DrawSquare(dragFromSquare_);
        if (overlay_ == nullptr || overlay_->parentWidget() != host)
            overlay_ = new TDragOverlay(host); // owned by host
        overlay_->SetImage(pieceImages_.Image(PieceImageIndex(PieceAt(dragFromSquare_))));
        dragImageShowing_ = true;
    }
    overlay_->move(QPoint(X - half, Y - half) + offset);
    overlay_->raise();
    overlay_->show();
}

void TChessBrd::HideDragImage() {
    if (!dragImageShowing_)
        return;
    dragImageShowing_ = false;
    if (overlay_ != nullptr)
        overlay_->hide();
}

void TChessBrd::DragOver(TObject *Source, int X, int Y, TDragState State, bool &Accept) {
    Accept = false;
    if (OnDragOver)
        OnDragOver(this, Source, X, Y, State, Accept);
    const Square sq = PointToSquare(X, Y);
    ShowDragImage(X, Y);
    if (Source == static_cast<TObject *>(this) &&
        (sq == dragFromSquare_ || IsLegalMove(dragFromSquare_, sq)))
        Accept = true;
}

void TChessBrd::RestoreDragOrigin() {
    DrawSquare(dragFromSquare_);
    const char letter = PieceAt(dragFromSquare_);
    if (letter != ' ')
        DrawPiece(dragFromSquare_, letter);
}

void TChessBrd::DragDrop(TObject *Source, int X, int Y) {
    if (OnDragDrop)
        OnDragDrop(this, Source, X, Y);
    HideDragImage();
    const Square sq = PointToSquare(X, Y);
    if (sq == dragFromSquare_)
        DrawPiece(dragFromSquare_, PieceAt(dragFromSquare_));
    else if (!MakeMove(dragFromSquare_, sq))
        RestoreDragOrigin(); // the position changed during the drag: show the piece at home
}

void TChessBrd::DropCancelled() {
    HideDragImage();
    DrawPiece(dragFromSquare_, PieceAt(dragFromSquare_));
    if (OnIllegalMove)
        OnIllegalMove(this, dragFromSquare_);
}
