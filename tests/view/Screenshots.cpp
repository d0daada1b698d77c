// Writes pictures of the main window's board: the start position, and a middlegame seen from
// Black's side. Usage: view_screenshots OUTPUT_FOLDER (run under a display, e.g. xvfb-run).
#include "tests/view/ViewTestSupport.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {

bool Save(QWidget &host, const QString &path) {
    host.repaint();
    QApplication::processEvents();
    const bool saved = host.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: view_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QWidget host;
    host.resize(312, 332);
    TChessBrd board(&host);
    ConfigureMainBoard(board);
    host.show();
    bool ok = Save(host, out.filePath("board-start.png"));

    const Square game[][2] = {
        {Square::E2, Square::E4}, {Square::E7, Square::E5}, {Square::G1, Square::F3},
        {Square::B8, Square::C6}, {Square::F1, Square::C4}, {Square::F8, Square::C5},
        {Square::C2, Square::C3}, {Square::G8, Square::F6}, {Square::D2, Square::D4},
        {Square::E5, Square::D4}, {Square::C3, Square::D4}, {Square::C5, Square::B4},
        {Square::C1, Square::D2}, {Square::B4, Square::D2}, {Square::B1, Square::D2},
        {Square::D7, Square::D5}, {Square::E4, Square::D5}, {Square::F6, Square::D5},
        {Square::D1, Square::B3}, {Square::C6, Square::E7}, {Square::E1, Square::G1},
        {Square::E8, Square::G8}};
    for (const auto &move : game)
        ok = board.MakeMove(move[0], move[1]) && ok;
    board.SetWhiteOnTop(true);
    ok = Save(host, out.filePath("board-middlegame.png")) && ok;
    return ok ? 0 : 1;
}
