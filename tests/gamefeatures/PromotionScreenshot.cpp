// Writes a picture of the promotion chooser as White sees it over the main window's board
// (32-pixel standard pieces, white light squares).
#include "app/PromotionChooser.h"

#include "board/ChessBrd.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: promotion_screenshot OUTPUT.png\n");
        return 2;
    }
    TChessBrd board;
    board.SetStandardSize(StandardSet::Size32);
    board.SetSquareColorLight(clWhite);
    TPromotionChooser chooser(nullptr, PromotionPictures(board, true));
    chooser.show();
    QApplication::processEvents();
    const bool saved = chooser.grab().save(QString::fromLocal8Bit(argv[1]));
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", argv[1]);
    return saved ? 0 : 1;
}
