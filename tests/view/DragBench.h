#pragma once

#include "tests/view/ViewTestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

inline std::string Name(Square sq) {
    if (sq == Square::None)
        return "-";
    return {static_cast<char>('A' + TChessRules::FileOf(sq) - 1),
            static_cast<char>('0' + TChessRules::RankOf(sq))};
}

inline const char *StateName(TDragState state) {
    switch (state) {
    case TDragState::dsDragEnter:
        return "enter";
    case TDragState::dsDragLeave:
        return "leave";
    case TDragState::dsDragMove:
        return "move";
    }
    return "?";
}

// The main window's board, enabled, on a shown parent window, with every event recorded.
struct DragBench {
    QWidget host;
    TChessBrd *board = nullptr;
    std::vector<std::string> events;

    DragBench() {
        host.resize(330, 340);
        board = new TChessBrd(&host); // owned by host
        ConfigureMainBoard(*board);
        board->setEnabled(true);
        host.show();
        Record();
    }

    QPoint Centre(Square sq) const { return board->SquareRect(sq).center(); }

    void Record() {
        TChessBrd &b = *board;
        auto sq = [&b](int x, int y) { return Name(b.PointToSquare(x, y)); };
        auto button = [](TMouseButton m) { return m == TMouseButton::mbLeft ? "L" : "R"; };
        b.OnMouseDown = [this, sq, button](TObject *, TMouseButton m, TShiftState, int x, int y) {
            events.push_back(std::string("down ") + button(m) + " " + sq(x, y));
        };
        b.OnMouseUp = [this, button](TObject *, TMouseButton m, TShiftState, int, int) {
            events.push_back(std::string("up ") + button(m));
        };
        b.OnMouseMove = [this](TObject *, TShiftState, int, int) { events.push_back("mousemove"); };
        b.OnClick = [this](TObject *) { events.push_back("click"); };
        b.OnStartDrag = [this](TObject *, TDragObject *&) { events.push_back("start"); };
        b.OnDragOver = [this, sq](TObject *, TObject *, int x, int y, TDragState s, bool &) {
            events.push_back(std::string("over ") + StateName(s) + " " + sq(x, y));
        };
        b.OnDragDrop = [this, sq](TObject *, TObject *, int x, int y) {
            events.push_back("drop " + sq(x, y));
        };
        b.OnEndDrag = [this, &b](TObject *sender, TObject *target, int x, int y) {
            EXPECT_EQ(sender, static_cast<TObject *>(&b));
            const std::string who = target == nullptr                      ? "nil"
                                    : target == static_cast<TObject *>(&b) ? "board"
                                                                           : "other";
            events.push_back("end " + who + " " + std::to_string(x) + "," + std::to_string(y));
        };
        b.OnIllegalMove = [this](TObject *, Square s) { events.push_back("illegal " + Name(s)); };
        b.OnLegalMove = [this](TObject *, Square f, Square t) {
            events.push_back("legal " + Name(f) + "-" + Name(t));
        };
        b.OnCheck = [this](TObject *, Square, Square) { events.push_back("check"); };
        b.OnMate = [this](TObject *, Square, Square) { events.push_back("mate"); };
    }

    void Press(Qt::MouseButton button, QPoint p) { QTest::mousePress(board, button, {}, p); }
    void Release(Qt::MouseButton button, QPoint p) { QTest::mouseRelease(board, button, {}, p); }
    void Move(QPoint p) { QTest::mouseMove(board, p); }
};

inline std::string EndAt(QPoint p) {
    return "end board " + std::to_string(p.x()) + "," + std::to_string(p.y());
}
