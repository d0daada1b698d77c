#pragma once

#include "board/ChessBrd.h"

#include <QImage>
#include <functional>
#include <string>
#include <vector>

// One step of the main window's board configuration.
struct ConfigStep {
    std::string Name;
    std::function<void(TChessBrd &)> Apply;
};

// The main window's settings for its board, in the order a stored form applies them.
std::vector<ConfigStep> MainBoardSteps();
void ConfigureMainBoard(TChessBrd &board);

// A 6 x 4 piece sheet of cells of the given side: every piece cell is filled with its own
// colour, every mask is opaque except a pure white one-pixel rim.
QImage MakeTestSheet(int cell);
QColor TestSheetColour(int colour, int kind);

// The colour of a surface pixel.
QColor PixelAt(const TChessBrd &board, int x, int y);
// A board with no pieces at all, so that squares and frame can be read undisturbed.
void ClearPieces(TChessBrd &board);
