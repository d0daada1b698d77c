#include "board/ChessBrd.h"

#include "resources/Resources.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

// Keeps 8 squares plus the frame far inside what a widget may measure.
constexpr int MaxSquareSize = 1 << 20;

// The square size the size rule derives from an outer size; never below one pixel, so that no
// later division by the square size can fail.
int SquareSizeFor(int width, int height, int border) {
    const long long mean = (static_cast<long long>(width) + height) / 2;
    const long long side = (mean - 2LL * border) / 8;
    return static_cast<int>(std::clamp<long long>(side, 1, MaxSquareSize));
}

} // namespace

TChessBrd::TChessBrd(QWidget *parent) : QWidget(parent) {
    InitBoardwickResources();
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    LoadStandardPieceSet();
    BuildPieceImages();
    coordFont_.Color = clWhite;
    coordFont_.Name = "Arial";
    coordFont_.SetSize(7);
    coordFont_.Pitch = TFontPitch::fpDefault;
    resize(8 * sizeOfSquare_ + 2 * sizeOfBorder_, 8 * sizeOfSquare_ + 2 * sizeOfBorder_);
    settledSize_ = size();
    ResetGame();
}

void TChessBrd::SetBoardLines(bool Value) {
    boardLines_ = Value;
    Paint();
}

void TChessBrd::SetBorderBitmap(const QImage &Value) {
    borderBitmap_ = Value.convertToFormat(QImage::Format_RGB32);
    Paint();
}

void TChessBrd::SetBorderColor(TColor Value) {
    borderColor_ = Value;
    Paint();
}

void TChessBrd::SetCoordFont(const TFont &Value) {
    coordFont_ = Value;
    Paint();
}

void TChessBrd::SetCustomPieceSet(const QImage *Value) {
    if (Value != nullptr && !IsValidPieceSet(Value))
        return;
    customPieceSet_ = Value != nullptr ? *Value : QImage();
    BuildPieceImages();
    Paint();
}

void TChessBrd::SetDisplayCoords(CoordSet Value) {
    displayCoords_ = Value;
    Paint();
}

void TChessBrd::SetLineStyle(const TPen &Value) {
    lineStyle_ = Value;
    Paint();
}

void TChessBrd::SetResizeMinSize(int Value) {
    resizeMinSize_ = std::min(Value, resizeMaxSize_);
}

void TChessBrd::SetResizeMaxSize(int Value) {
    resizeMaxSize_ = std::max(Value, resizeMinSize_);
}

void TChessBrd::SetSizeOfBorder(int Value) {
    // After the owner resized the board the stored square size is stale until the next Paint;
    // the square size the new outer size stands for is the one to keep.
    if (size() != settledSize_)
        sizeOfSquare_ = SquareSizeFor(width(), height(), sizeOfBorder_);
    sizeOfBorder_ = Value;
    ResizeFromSetter(8 * sizeOfSquare_ + 2 * sizeOfBorder_);
}

void TChessBrd::SetSizeOfSquare(int Value) {
    sizeOfSquare_ = std::clamp(Value, 1, MaxSquareSize);
    ResizeFromSetter(8 * sizeOfSquare_ + 2 * sizeOfBorder_);
}

void TChessBrd::ResizeFromSetter(int newWidth) {
    resize(newWidth, height());
    settledSize_ = size();
}

void TChessBrd::SetSquareColorDark(TColor Value) {
    squareColorDark_ = Value;
    Paint();
}

void TChessBrd::SetSquareColorLight(TColor Value) {
    squareColorLight_ = Value;
    Paint();
}

void TChessBrd::SetSquareDark(const QImage &Value) {
    squareDark_ = Value.convertToFormat(QImage::Format_RGB32);
    Paint();
}

void TChessBrd::SetSquareLight(const QImage &Value) {
    squareLight_ = Value.convertToFormat(QImage::Format_RGB32);
    Paint();
}

void TChessBrd::SetStandardSize(StandardSet Value) {
    standardSize_ = Value;
    LoadStandardPieceSet();
    BuildPieceImages();
    Paint();
}

void TChessBrd::SetWhiteOnTop(bool Value) {
    whiteOnTop_ = Value;
    Paint();
}

void TChessBrd::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    setGeometry(ALeft, ATop, AWidth, AHeight);
}

void TChessBrd::SetCursor(TCursor Value) {
    cursor_ = Value;
    setCursor(QCursor(CursorShapeOf(Value)));
}

void TChessBrd::ApplySizeRule() {
    sizeOfSquare_ = SquareSizeFor(width(), height(), sizeOfBorder_);
    const int side = 8 * sizeOfSquare_ + 2 * sizeOfBorder_;
    resize(side, side);
    settledSize_ = size();
}

Square TChessBrd::PointToSquare(int X, int Y) const {
    const int s = sizeOfSquare_;
    const int x = X - BoardLeft(), y = Y - BoardTop();
    if (x < 0 || x >= 8 * s || y < 0 || y >= 8 * s)
        return Square::None;
    int column = std::min(7, static_cast<int>(static_cast<double>(x) / s));
    int row = std::min(7, static_cast<int>(static_cast<double>(y) / s));
    if (whiteOnTop_) {
        column = 7 - column;
        row = 7 - row;
    }
    return SquareFromOrd(row * 8 + column + 1);
}

QPoint TChessBrd::DisplayCell(Square sq) const {
    const int ordinal = Ord(sq);
    if (ordinal < 1 || ordinal > 64)
        return {-1, -1};
    return DisplayCell((ordinal - 1) % 8 + 1, 8 - (ordinal - 1) / 8);
}

QPoint TChessBrd::DisplayCell(int FileNo, int RankNo) const {
    const int column = FileNo - 1, row = 8 - RankNo;
    return whiteOnTop_ ? QPoint(7 - column, 7 - row) : QPoint(column, row);
}

QRect TChessBrd::SquareRect(Square sq) const {
    const QPoint cell = DisplayCell(sq);
    if (cell.x() < 0)
        return {};
    const int s = sizeOfSquare_;
    return {BoardLeft() + cell.x() * s, BoardTop() + cell.y() * s, s, s};
}

int TChessBrd::SquareColor(Square sq) {
    const int k = Ord(sq) - 1;
    return k % 2 == (k / 8) % 2 ? ColorWhite : ColorBlack;
}

void TChessBrd::LoadStandardPieceSet() {
    standardPieceSet_ = LoadStandardSheet(standardSize_);
}

void TChessBrd::BuildPieceImages() {
    const QImage &sheet = IsValidPieceSet(&customPieceSet_) ? customPieceSet_ : standardPieceSet_;
    CutPieceSheet(sheet, pieceImages_, pieceImageTable_);
}

int TChessBrd::PieceImageIndex(char Piece) const {
    return PieceIndexOf(pieceImageTable_, Piece);
}

bool TChessBrd::event(QEvent *e) {
    // A modal window opening over the board ends a running drag as cancelled.
    if (e->type() == QEvent::WindowBlocked)
        CancelDrag();
    return QWidget::event(e);
}

void TChessBrd::changeEvent(QEvent *e) {
    // A board that stops taking input cannot finish a drag, so the drag is cancelled.
    if (e->type() == QEvent::EnabledChange && !isEnabled())
        CancelDrag();
    QWidget::changeEvent(e);
}

void TChessBrd::hideEvent(QHideEvent *e) {
    CancelDrag();
    QWidget::hideEvent(e);
}

void TChessBrd::showEvent(QShowEvent *e) {
    QWidget::showEvent(e);
    if (canvas_.Surface().size() != size())
        Paint();
}

void TChessBrd::resizeEvent(QResizeEvent *e) {
    QWidget::resizeEvent(e);
    if (!painting_)
        QueuePaint();
}

void TChessBrd::QueuePaint() {
    if (paintQueued_)
        return;
    paintQueued_ = true;
    QMetaObject::invokeMethod(this, &TChessBrd::RunQueuedPaint, Qt::QueuedConnection);
}

void TChessBrd::RunQueuedPaint() {
    paintQueued_ = false;
    Paint();
}

void TChessBrd::paintEvent(QPaintEvent *e) {
    QPainter painter(this);
    const QRect area = e->rect();
    painter.fillRect(area, Qt::black);
    painter.drawImage(area.topLeft(), canvas_.Surface(), area);
}
