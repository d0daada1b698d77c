#include "tests/view/DragBench.h"

#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

struct DragCase {
    const char *name;
    std::function<void(DragBench &)> act;
    std::function<std::vector<std::string>(DragBench &)> expected;
    std::string positionAfter; // empty: unchanged start position
};

TEST(BoardDrag, EventOrderOfEveryEnding) {
    const QPoint up10(0, -10);
    const std::vector<DragCase> cases = {
        {"legal drop",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Move(t.Centre(Square::E2) + up10);
             t.Move(t.Centre(Square::E4));
             t.Release(Qt::LeftButton, t.Centre(Square::E4));
         },
         [](DragBench &t) -> std::vector<std::string> {
             return {"down L E2",    "start",        "over enter E2",
                     "over move E2", "over move E4", "over leave E4",
                     "drop E4",      "legal E2-E4",  EndAt(t.Centre(Square::E4))};
         },
         "rnbqkbnrpppppppp                    P           PPPP PPPRNBQKBNR"},
        {"drop on the origin",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Move(t.Centre(Square::E2) + up10);
             t.Move(t.Centre(Square::E2));
             t.Release(Qt::LeftButton, t.Centre(Square::E2));
         },
         [](DragBench &t) -> std::vector<std::string> {
             return {"down L E2",    "start",         "over enter E2", "over move E2",
                     "over move E2", "over leave E2", "drop E2",       EndAt(t.Centre(Square::E2))};
         },
         ""},
        {"illegal drop",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Move(t.Centre(Square::E5));
             t.Release(Qt::LeftButton, t.Centre(Square::E5));
         },
         [](DragBench &) -> std::vector<std::string> {
             return {"down L E2",     "start",      "over enter E5", "over move E5",
                     "over leave E5", "illegal E2", "end nil 0,0"};
         },
         ""},
        {"drop on the frame",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Move(QPoint(10, 100));
             t.Release(Qt::LeftButton, QPoint(10, 100));
         },
         [](DragBench &) -> std::vector<std::string> {
             return {"down L E2",    "start",      "over enter -", "over move -",
                     "over leave -", "illegal E2", "end nil 0,0"};
         },
         ""},
        {"drop outside the board",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Move(t.Centre(Square::E3));
             t.Move(QPoint(-6, 100));
             t.Release(Qt::LeftButton, QPoint(-6, 100));
         },
         [](DragBench &) -> std::vector<std::string> {
             return {"down L E2",    "start",      "over enter E3", "over move E3",
                     "over leave -", "illegal E2", "end nil 0,0"};
         },
         ""},
        {"click without moving",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Release(Qt::LeftButton, t.Centre(Square::E2));
         },
         [](DragBench &) -> std::vector<std::string> {
             return {"down L E2", "start", "illegal E2", "end nil 0,0"};
         },
         ""},
        {"four pixels stay pending",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Move(t.Centre(Square::E2) + QPoint(4, -4));
             t.Release(Qt::LeftButton, t.Centre(Square::E2) + QPoint(4, -4));
         },
         [](DragBench &) -> std::vector<std::string> {
             return {"down L E2", "start", "illegal E2", "end nil 0,0"};
         },
         ""},
        {"five pixels make it active",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Move(t.Centre(Square::E2) + QPoint(0, -5));
             t.Release(Qt::LeftButton, t.Centre(Square::E2) + QPoint(0, -5));
         },
         [&](DragBench &t) -> std::vector<std::string> {
             return {"down L E2",
                     "start",
                     "over enter E2",
                     "over move E2",
                     "over leave E2",
                     "drop E2",
                     EndAt(t.Centre(Square::E2) + QPoint(0, -5))};
         },
         ""},
        {"right-button drag lasts until the left click",
         [&](DragBench &t) {
             t.Press(Qt::RightButton, t.Centre(Square::E2));
             t.Release(Qt::RightButton, t.Centre(Square::E2));
             t.Move(t.Centre(Square::E2) + up10);
             t.Move(t.Centre(Square::E4));
             t.Press(Qt::LeftButton, t.Centre(Square::E4));
             t.Release(Qt::LeftButton, t.Centre(Square::E4));
         },
         [](DragBench &t) -> std::vector<std::string> {
             return {"down R E2",    "start",        "over enter E2",
                     "over move E2", "over move E4", "over leave E4",
                     "drop E4",      "legal E2-E4",  EndAt(t.Centre(Square::E4))};
         },
         "rnbqkbnrpppppppp                    P           PPPP PPPRNBQKBNR"},
        {"disabled board takes nothing",
         [&](DragBench &t) {
             t.board->setEnabled(false);
             t.Press(Qt::LeftButton, t.Centre(Square::E2));
             t.Move(t.Centre(Square::E4));
             t.Release(Qt::LeftButton, t.Centre(Square::E4));
         },
         [](DragBench &) -> std::vector<std::string> { return {}; }, ""},
        {"press on an empty square is a click",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E4));
             t.Release(Qt::LeftButton, t.Centre(Square::E4));
         },
         [](DragBench &) -> std::vector<std::string> {
             return {"down L E4", "click", "up L"};
         },
         ""},
        {"automatic drag mode: a left press begins a drag, the press handler stays out",
         [&](DragBench &t) {
             EXPECT_EQ(t.board->DragMode(), TDragMode::dmManual);
             t.board->SetDragMode(TDragMode::dmAutomatic);
             t.Press(Qt::LeftButton, t.Centre(Square::E4));
             t.Release(Qt::LeftButton, t.Centre(Square::E4));
             t.Press(Qt::RightButton, QPoint(5, 5));
             t.Release(Qt::RightButton, QPoint(5, 5));
         },
         [](DragBench &) -> std::vector<std::string> {
             return {"start", "illegal -", "end nil 0,0", "down R -", "up R"};
         },
         ""},
        {"press on the frame is a click",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, QPoint(5, 5));
             t.Release(Qt::LeftButton, QPoint(5, 5));
         },
         [](DragBench &) -> std::vector<std::string> {
             return {"down L -", "click", "up L"};
         },
         ""},
        {"piece of the side not to move only goes home",
         [&](DragBench &t) {
             t.Press(Qt::LeftButton, t.Centre(Square::E7));
             t.Move(t.Centre(Square::E5));
             t.Release(Qt::LeftButton, t.Centre(Square::E5));
             t.Press(Qt::LeftButton, t.Centre(Square::E7));
             t.Move(t.Centre(Square::E6));
             t.Move(t.Centre(Square::E7));
             t.Release(Qt::LeftButton, t.Centre(Square::E7));
         },
         [](DragBench &t) -> std::vector<std::string> {
             return {"down L E7",     "start",         "over enter E5",
                     "over move E5",  "over leave E5", "illegal E7",
                     "end nil 0,0",   "down L E7",     "start",
                     "over enter E6", "over move E6",  "over move E7",
                     "over leave E7", "drop E7",       EndAt(t.Centre(Square::E7))};
         },
         ""},
    };
    for (const DragCase &c : cases) {
        DragBench bench;
        c.act(bench);
        EXPECT_EQ(bench.events, c.expected(bench)) << c.name;
        const std::string after =
            c.positionAfter.empty() ? TChessRules::StartPosition : c.positionAfter;
        EXPECT_EQ(bench.board->Position(), after) << c.name;
        EXPECT_FALSE(bench.board->IsDragging()) << c.name;
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << c.name;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.name;
        if (const QWidget *overlay = bench.board->DragImageWidget()) {
            EXPECT_FALSE(overlay->isVisible()) << c.name;
        }

        // Whatever happened, the surface shows the position as a fresh paint would.
        TChessBrd reference;
        ConfigureMainBoard(reference);
        reference.SetPosition(bench.board->Position());
        EXPECT_EQ(bench.board->Canvas().Surface(), reference.Canvas().Surface()) << c.name;
    }
}
