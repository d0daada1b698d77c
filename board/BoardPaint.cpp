#include "board/ChessBrd.h"

#include <algorithm>

void TChessBrd::Paint() {
    painting_ = true;
    ApplySizeRule();
    painting_ = false;
    canvas_.SetSize(width(), height());
    DrawBorder();
    DrawSquares();
    DrawPieces();
    Show(rect());
}

TChessBrd::TLabelOffsets TChessBrd::LabelOffsets() const {
    const int fontSize = coordFont_.Size();
    TCanvas measure;
    measure.Font = coordFont_;
    return {(sizeOfBorder_ - fontSize) / 2 + 1, (sizeOfSquare_ - fontSize) / 2,
            measure.TextHeight(QStringLiteral("0")) / 4};
}

void TChessBrd::DrawBorder() {
    const int b = sizeOfBorder_, s = sizeOfSquare_, w = Width(), h = Height();
    canvas_.Save();
    canvas_.BrushColor = borderColor_;
    canvas_.ExcludeClipRect(QRect(QPoint(b, b), QPoint(w - b - 1, h - b - 1)));
    if (IsBitmapUsable(&borderBitmap_))
        canvas_.TileImage(borderBitmap_);
    else
        canvas_.FillRect(canvas_.ClipBox());

    canvas_.Font = coordFont_;
    const QString files = whiteOnTop_ ? QStringLiteral("HGFEDCBA") : QStringLiteral("ABCDEFGH");
    const TLabelOffsets offset = LabelOffsets();
    for (int i = 0; i < 8; ++i) {
        const QString rank = QString::number(whiteOnTop_ ? i + 1 : 8 - i);
        const QString file = files.mid(i, 1);
        const int along = b + i * s + offset.Centre;
        if (displayCoords_.contains(TCoord::West))
            canvas_.TextOut(offset.Edge, along, rank);
        if (displayCoords_.contains(TCoord::East))
            canvas_.TextOut(w - b + offset.Edge, along, rank);
        if (displayCoords_.contains(TCoord::North))
            canvas_.TextOut(along, offset.Edge - offset.Lift, file);
        if (displayCoords_.contains(TCoord::South))
            canvas_.TextOut(along, h - b + offset.Edge - offset.Lift, file);
    }

    // The square control lets Width stand for both axes. The pen keeps LineStyle's width, style
    // and mode after the restore below; the grid lines drawn later rely on that.
    canvas_.Pen = lineStyle_;
    canvas_.MoveTo(0, 0);
    canvas_.LineTo(w - 1, 0);
    canvas_.LineTo(w - 1, w - 1);
    canvas_.LineTo(0, w - 1);
    canvas_.LineTo(0, 0);
    canvas_.MoveTo(b - 1, b - 1);
    canvas_.LineTo(w - b, b - 1);
    canvas_.LineTo(w - b, w - b);
    canvas_.LineTo(b - 1, w - b);
    canvas_.LineTo(b - 1, b - 1);
    canvas_.Restore();
    Show(rect());
}

void TChessBrd::FillShade(int shade) {
    const bool dark = shade == ColorBlack;
    const QImage &picture = dark ? squareDark_ : squareLight_;
    if (IsBitmapUsable(&picture)) {
        canvas_.TileImage(picture);
    } else {
        canvas_.BrushColor = dark ? squareColorDark_ : squareColorLight_;
        canvas_.Pen.Color = canvas_.BrushColor;
        canvas_.FillRect(canvas_.ClipBox());
    }
}

void TChessBrd::DrawGridLine(int x0, int y0, int x1, int y1) {
    canvas_.MoveTo(x0, y0);
    canvas_.LineTo(x1, y1);
}

void TChessBrd::DrawGridLines() {
    const int s = sizeOfSquare_, left = BoardLeft(), top = BoardTop();
    canvas_.Pen.Color = clBlack;
    for (int i = 1; i <= 7; ++i) {
        DrawGridLine(left + i * s, top, left + i * s, Height() - top);
        DrawGridLine(left, top + i * s, Width() - left, top + i * s);
    }
}

void TChessBrd::DrawSquares() {
    const int b = sizeOfBorder_, s = sizeOfSquare_;
    canvas_.Save();
    canvas_.IntersectClipRect(QRect(QPoint(b, b), QPoint(Width() - b - 1, Height() - b - 1)));
    for (int pass = 0; pass < 2; ++pass) {
        canvas_.Save();
        for (int row = 0; row < 8; ++row)
            for (int i = 0; i < 4; ++i) {
                const int column = 2 * i + ((row % 2) ^ pass);
                canvas_.ExcludeClipRect(QRect(b + column * s, b + row * s, s, s));
            }
        FillShade(pass == 0 ? ColorBlack : ColorWhite);
        canvas_.Restore();
    }
    if (boardLines_)
        DrawGridLines();
    canvas_.Restore();
    Show(rect());
}

void TChessBrd::DrawPieces() {
    const std::string &position = Position();
    const int count = std::min<int>(64, static_cast<int>(position.size()));
    for (int k = 1; k <= count; ++k) {
        const char letter = position[static_cast<std::size_t>(k - 1)];
        if (letter != ' ')
            DrawPiece(SquareFromOrd(k), letter);
    }
}

void TChessBrd::DrawSquare(Square sq) {
    const QRect area = SquareRect(sq);
    if (area.isEmpty())
        return;
    canvas_.Save();
    canvas_.IntersectClipRect(area);
    FillShade(SquareColor(sq));
    if (boardLines_)
        DrawGridLines();
    canvas_.Restore();
    Show(area);
}

void TChessBrd::DrawPiece(Square sq, char Piece) {
    const QRect area = SquareRect(sq);
    const QImage &image = pieceImages_.Image(PieceImageIndex(Piece));
    if (area.isEmpty() || image.isNull())
        return;
    // Truncated toward zero; negative when the piece is larger than its square.
    const int inset = (sizeOfSquare_ - PieceSize()) / 2;
    const QPoint at = area.topLeft() + QPoint(inset, inset);
    canvas_.DrawMasked(image, at.x(), at.y());
    Show(QRect(at, image.size()));
}

void TChessBrd::RedrawChangedSquares(const std::string &oldPosition) {
    const std::string &position = Position();
    for (int k = 1; k <= 64; ++k) {
        const auto index = static_cast<std::size_t>(k - 1);
        const char now = index < position.size() ? position[index] : ' ';
        const char before = index < oldPosition.size() ? oldPosition[index] : '\0';
        if (before == now)
            continue;
        DrawSquare(SquareFromOrd(k));
        if (now != ' ')
            DrawPiece(SquareFromOrd(k), now);
    }
}
