#include "tests/view/ViewTestSupport.h"

std::vector<ConfigStep> MainBoardSteps() {
    TFont font;
    font.Name = "Arial";
    font.Height = -9;
    font.Color = clWhite;
    return {
        {"bounds", [](TChessBrd &b) { b.SetBounds(8, 28, 296, 296); }},
        {"cursor", [](TChessBrd &b) { b.SetCursor(crHandPoint); }},
        {"lines", [](TChessBrd &b) { b.SetBoardLines(true); }},
        {"border colour", [](TChessBrd &b) { b.SetBorderColor(clInactiveBorder); }},
        {"font", [font](TChessBrd &b) { b.SetCoordFont(font); }},
        {"coords", [](TChessBrd &b) { b.SetDisplayCoords(CoordSet::All()); }},
        {"resize",
         [](TChessBrd &b) {
             b.SetResizable(false);
             b.SetResizeMinSize(100);
             b.SetResizeMaxSize(1000);
         }},
        {"border", [](TChessBrd &b) { b.SetSizeOfBorder(24); }},
        {"square", [](TChessBrd &b) { b.SetSizeOfSquare(31); }},
        {"square colours",
         [](TChessBrd &b) {
             b.SetSquareColorDark(clGray);
             b.SetSquareColorLight(clWhite);
         }},
        {"sheet", [](TChessBrd &b) { b.SetStandardSize(StandardSet::Size32); }},
        {"orientation", [](TChessBrd &b) { b.SetWhiteOnTop(false); }},
    };
}

void ConfigureMainBoard(TChessBrd &board) {
    for (const ConfigStep &step : MainBoardSteps())
        step.Apply(board);
    board.Paint();
}

QColor TestSheetColour(int colour, int kind) {
    return QColor(40 + 30 * kind, colour == 0 ? 200 : 20, 100 + 20 * colour);
}

QImage MakeTestSheet(int cell) {
    QImage sheet(6 * cell, 4 * cell, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    for (int colour = 0; colour < 2; ++colour)
        for (int kind = 0; kind < 6; ++kind) {
            const int left = kind * cell, top = 2 * colour * cell;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x) {
                    sheet.setPixelColor(left + x, top + y, TestSheetColour(colour, kind));
                    const bool rim = x == 0 || y == 0 || x == cell - 1 || y == cell - 1;
                    sheet.setPixelColor(left + x, top + cell + y, rim ? Qt::white : Qt::black);
                }
        }
    return sheet;
}

QColor PixelAt(const TChessBrd &board, int x, int y) {
    return board.Canvas().Surface().pixelColor(x, y);
}

void ClearPieces(TChessBrd &board) {
    board.SetPosition(std::string(64, ' '));
}
