#pragma once

#include "board/Canvas.h"
#include "board/PieceSet.h"
#include "board/ViewTypes.h"
#include "board/core/ChessRules.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class TDragOverlay;

// The chess-board control: the rules of TChessRules shown in a widget that paints itself, can be
// resized from its bottom-right corner and lets the user play moves by dragging pieces.
// All drawing goes at once onto the canvas surface; the widget's paint event only shows it.
class TChessBrd : public QWidget, public TChessRules {
    Q_OBJECT

  public:
    explicit TChessBrd(QWidget *parent = nullptr);
    ~TChessBrd() override;

    // Appearance. Setters whose value shows repaint the whole board before they return.
    bool BoardLines() const { return boardLines_; }
    void SetBoardLines(bool Value);
    const QImage &BorderBitmap() const { return borderBitmap_; }
    void SetBorderBitmap(const QImage &Value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value);
    const TFont &CoordFont() const { return coordFont_; }
    void SetCoordFont(const TFont &Value);
    const QImage &CustomPieceSet() const { return customPieceSet_; }
    // nullptr removes the custom sheet; a sheet that is not 3:2 is ignored.
    void SetCustomPieceSet(const QImage *Value);
    CoordSet DisplayCoords() const { return displayCoords_; }
    void SetDisplayCoords(CoordSet Value);
    const TPen &LineStyle() const { return lineStyle_; }
    void SetLineStyle(const TPen &Value);
    bool Resizable() const { return resizable_; }
    void SetResizable(bool Value) { resizable_ = Value; }
    int ResizeMinSize() const { return resizeMinSize_; }
    void SetResizeMinSize(int Value);
    int ResizeMaxSize() const { return resizeMaxSize_; }
    void SetResizeMaxSize(int Value);
    int SizeOfBorder() const { return sizeOfBorder_; }
    void SetSizeOfBorder(int Value);
    int SizeOfSquare() const { return sizeOfSquare_; }
    void SetSizeOfSquare(int Value);
    TColor SquareColorDark() const { return squareColorDark_; }
    void SetSquareColorDark(TColor Value);
    TColor SquareColorLight() const { return squareColorLight_; }
    void SetSquareColorLight(TColor Value);
    const QImage &SquareDark() const { return squareDark_; }
    void SetSquareDark(const QImage &Value);
    const QImage &SquareLight() const { return squareLight_; }
    void SetSquareLight(const QImage &Value);
    StandardSet StandardSize() const { return standardSize_; }
    void SetStandardSize(StandardSet Value);
    bool WhiteOnTop() const { return whiteOnTop_; }
    void SetWhiteOnTop(bool Value);

    // Geometry. The owner sets the outer size; the next Paint squares it (see Paint).
    int BoardLeft() const { return sizeOfBorder_; }
    int BoardTop() const { return sizeOfBorder_; }
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetLeft(int Value) { move(Value, y()); }
    void SetTop(int Value) { move(x(), Value); }
    void SetWidth(int Value) { resize(Value, height()); }
    void SetHeight(int Value) { resize(width(), Value); }
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor Value) { dragCursor_ = Value; }
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode Value) { dragMode_ = Value; }
    TCursor SavedCursor() const { return savedCursor_; }
    bool Resizing() const { return resizing_; }

    // The square under a client point, or Square::None outside the 8 x 8 area.
    Square PointToSquare(int X, int Y) const;
    // Display column (x) and row (y), 0..7 from the top-left, of a square or of file/rank numbers.
    QPoint DisplayCell(Square sq) const;
    QPoint DisplayCell(int FileNo, int RankNo) const;
    // Client pixels covered by a square.
    QRect SquareRect(Square sq) const;
    // ColorWhite for a light square, ColorBlack for a dark one.
    static int SquareColor(Square sq);

    // Piece sheets and images.
    const QImage &StandardPieceSet() const { return standardPieceSet_; }
    int PieceSize() const { return pieceImages_.Size(); }
    const TPieceImages &PieceImages() const { return pieceImages_; }
    void LoadStandardPieceSet();
    void BuildPieceImages();
    int PieceImageIndex(char Piece) const;
    static bool IsBitmapUsable(const QImage *Bitmap) { return ::IsBitmapUsable(Bitmap); }
    static bool IsValidPieceSet(const QImage *Bitmap) { return ::IsValidPieceSet(Bitmap); }

    // Painting, straight onto the canvas.
    // Paint first squares the control: SizeOfSquare := ((Width + Height) / 2 - 2 * SizeOfBorder)
    // / 8.
    void Paint();
    void DrawBorder();
    void DrawSquares();
    void DrawPieces();
    void DrawSquare(Square sq) override;
    void DrawPiece(Square sq, char Piece) override;
    void RedrawChangedSquares(const std::string &oldPosition) override;
    void RepaintBoard() override { Paint(); }
    const TCanvas &Canvas() const { return canvas_; }
    // Where the frame labels go: Edge from the outer side, Centre into a square, Lift upwards.
    struct TLabelOffsets {
        int Edge, Centre, Lift;
    };
    TLabelOffsets LabelOffsets() const;

    // Dragging.
    Square DragFromSquare() const { return dragFromSquare_; }
    // A drag begun on this board is pending or active.
    bool IsDragging() const { return dragSource_ == this; }
    // Puts a held piece back where it was taken: the drag ends as cancelled (OnEndDrag with no
    // target) before this returns. Nothing happens when no drag is under way.
    void CancelDrag();
    // The widget that shows the dragged piece over the parent window; null before the first drag.
    const QWidget *DragImageWidget() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TStartDragEvent OnStartDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;

  protected:
    // Handlers: each fires its On... event first, then does the board's own work.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Click();
    virtual void DblClick();
    virtual void DragOver(TObject *Source, int X, int Y, TDragState State, bool &Accept);
    virtual void DragDrop(TObject *Source, int X, int Y);
    virtual void DropCancelled();

    bool event(QEvent *e) override;
    void changeEvent(QEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

  private:
    struct TDragTrack {
        QPoint PressGlobal;
        bool Active = false;
        bool OverBoard = false;
        bool Grabbed = false;
        bool PointerSet = false;
        TObject *Source = nullptr;
    };

    void ApplySizeRule();
    void ResizeFromSetter(int newWidth);
    void QueuePaint();
    void RunQueuedPaint();
    void DrawGridLines();
    void DrawGridLine(int x0, int y0, int x1, int y1);
    void FillShade(int shade);
    void Show(const QRect &rect) { update(rect); }

    void BeginDrag(int X, int Y);
    void DragPointerMoved(const QPoint &pos, const QPoint &globalPos);
    void DragReleased(const QPoint &pos);
    bool AskDragOver(const QPoint &pos, TDragState State);
    bool IsBoardUnder(const QPoint &pos) const;
    void ForgetDrag();
    // DropCancelled, then OnEndDrag with no target; the drag is already forgotten.
    void EndCancelled();
    void ShowDragImage(int X, int Y);
    void HideDragImage();
    void RestoreDragOrigin();

    // The one drag of the whole program, if any: its source board.
    static TChessBrd *dragSource_;

    TCanvas canvas_;
    TPieceImages pieceImages_;
    TPieceImageTable pieceImageTable_{};
    QImage standardPieceSet_;
    QImage customPieceSet_;
    QImage borderBitmap_;
    QImage squareDark_;
    QImage squareLight_;
    TPen lineStyle_;
    TFont coordFont_;
    TColor borderColor_ = clOlive;
    TColor squareColorDark_ = clGray;
    TColor squareColorLight_ = clSilver;
    CoordSet displayCoords_ = CoordSet::All();
    StandardSet standardSize_ = StandardSet::Size40;
    bool boardLines_ = false;
    bool whiteOnTop_ = false;
    bool resizable_ = false;
    bool resizing_ = false;
    int resizeMinSize_ = 100;
    int resizeMaxSize_ = 1000;
    int sizeOfSquare_ = 40;
    int sizeOfBorder_ = 24;
    // The outer size as last set by the board itself; a different size was set by the owner.
    QSize settledSize_;
    bool painting_ = false;
    bool paintQueued_ = false;
    bool leftPressed_ = false;
    TCursor cursor_ = crDefault;
    TCursor savedCursor_ = crDefault;
    TCursor dragCursor_ = crDrag;
    TDragMode dragMode_ = TDragMode::dmManual;

    Square dragFromSquare_ = Square::None;
    TDragTrack drag_;
    bool dragImageShowing_ = false;
    QPointer<TDragOverlay> overlay_;
};
