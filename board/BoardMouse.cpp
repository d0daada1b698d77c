#include "board/ChessBrd.h"

#include <QMouseEvent>
#include <algorithm>

namespace {

TShiftState ShiftOf(const QMouseEvent *e) {
    TShiftState shift = 0;
    const Qt::KeyboardModifiers keys = e->modifiers();
    const Qt::MouseButtons buttons = e->buttons();
    if (keys & Qt::ShiftModifier)
        shift |= ssShift;
    if (keys & Qt::AltModifier)
        shift |= ssAlt;
    if (keys & Qt::ControlModifier)
        shift |= ssCtrl;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

bool ButtonOf(Qt::MouseButton qtButton, TMouseButton &button) {
    switch (qtButton) {
    case Qt::LeftButton:
        button = TMouseButton::mbLeft;
        return true;
    case Qt::RightButton:
        button = TMouseButton::mbRight;
        return true;
    case Qt::MiddleButton:
        button = TMouseButton::mbMiddle;
        return true;
    default:
        return false;
    }
}

} // namespace

void TChessBrd::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
    const Square sq = PointToSquare(X, Y);
    if (sq != Square::None && PieceAt(sq) != ' ') {
        dragFromSquare_ = sq;
        BeginDrag(X, Y);
    }
}

void TChessBrd::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
    if (cursor_ != crSizeNWSE && cursor_ != crSizeWE && cursor_ != crSizeNS)
        savedCursor_ = cursor_;
    const bool inCorner = Width() - 10 <= X && X <= Width() && Height() - 10 <= Y && Y <= Height();
    if (resizable_ && inCorner) {
        SetCursor(crSizeNWSE);
        if (Shift & ssLeft)
            resizing_ = true;
    } else if (resizable_ && !resizing_) {
        SetCursor(savedCursor_);
    }
    if (resizable_ && resizing_) {
        const int wanted = std::clamp(std::max(X, Y), resizeMinSize_, resizeMaxSize_);
        if (wanted != Width())
            SetWidth(wanted);
    }
}

void TChessBrd::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
    resizing_ = false;
}

void TChessBrd::Click() {
    if (OnClick)
        OnClick(this);
}

void TChessBrd::DblClick() {
    if (OnDblClick)
        OnDblClick(this);
}

void TChessBrd::mousePressEvent(QMouseEvent *e) {
    TMouseButton button;
    // While a drag runs, every press belongs to it.
    if (IsDragging() || !ButtonOf(e->button(), button))
        return;
    const QPoint pos = e->position().toPoint();
    if (button == TMouseButton::mbLeft && dragMode_ == TDragMode::dmAutomatic) {
        BeginDrag(pos.x(), pos.y());
        return;
    }
    if (button == TMouseButton::mbLeft)
        leftPressed_ = true;
    MouseDown(button, ShiftOf(e), pos.x(), pos.y());
}

void TChessBrd::mouseDoubleClickEvent(QMouseEvent *e) {
    TMouseButton button;
    if (IsDragging() || !ButtonOf(e->button(), button))
        return;
    const QPoint pos = e->position().toPoint();
    if (button == TMouseButton::mbLeft && dragMode_ == TDragMode::dmAutomatic) {
        BeginDrag(pos.x(), pos.y());
        return;
    }
    if (button == TMouseButton::mbLeft)
        DblClick();
    MouseDown(button, static_cast<TShiftState>(ShiftOf(e) | ssDouble), pos.x(), pos.y());
}

void TChessBrd::mouseMoveEvent(QMouseEvent *e) {
    const QPoint pos = e->position().toPoint();
    if (IsDragging())
        DragPointerMoved(pos, e->globalPosition().toPoint());
    else
        MouseMove(ShiftOf(e), pos.x(), pos.y());
}

void TChessBrd::mouseReleaseEvent(QMouseEvent *e) {
    const QPoint pos = e->position().toPoint();
    if (IsDragging()) {
        // Only the left button ends a drag; other releases are swallowed by it.
        if (e->button() == Qt::LeftButton)
            DragReleased(pos);
        return;
    }
    TMouseButton button;
    if (!ButtonOf(e->button(), button))
        return;
    if (button == TMouseButton::mbLeft) {
        const bool clicked = leftPressed_ && rect().contains(pos);
        leftPressed_ = false;
        if (clicked)
            Click();
    }
    MouseUp(button, ShiftOf(e), pos.x(), pos.y());
}
