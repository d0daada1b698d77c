#include "tests/view/DragBench.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPointer>

namespace {

QImage SquareImage(const TChessBrd &board, Square sq) {
    return board.Canvas().Surface().copy(board.SquareRect(sq));
}

// An unchanged board of the main window's configuration in a given position.
std::unique_ptr<TChessBrd> Reference(const std::string &position) {
    auto board = std::make_unique<TChessBrd>();
    ConfigureMainBoard(*board);
    board->SetPosition(position);
    return board;
}

Qt::CursorShape PointerShape() {
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor == nullptr ? Qt::BitmapCursor : cursor->shape();
}

} // namespace

// The dragged piece floats over the parent at the pointer less half a square; its square shows
// empty, drawn once, and the board is not redrawn while the pointer moves.
TEST(BoardDragFeedback, OverlayFollowsThePointerAndTheOriginIsDrawnOnce) {
    DragBench t;
    std::string emptied = TChessRules::StartPosition;
    emptied[Ord(Square::C7) - 1] = ' ';
    const auto empty = Reference(emptied);
    const QImage before = SquareImage(*t.board, Square::C7);

    t.Press(Qt::LeftButton, t.Centre(Square::C7));
    ASSERT_EQ(t.board->DragImageWidget(), nullptr);
    t.Move(QPoint(100, 100));
    const QWidget *overlay = t.board->DragImageWidget();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->parentWidget(), &t.host);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->pos(), QPoint(93, 113));
    EXPECT_EQ(overlay->size(), QSize(32, 32));
    EXPECT_EQ(SquareImage(*t.board, Square::C7), SquareImage(*empty, Square::C7));
    EXPECT_NE(SquareImage(*t.board, Square::C7), before);

    const QImage surface = t.board->Canvas().Surface();
    for (QPoint p : {QPoint(150, 60), QPoint(200, 250), QPoint(-40, 300), QPoint(5, 5)}) {
        t.Move(p);
        EXPECT_EQ(overlay->pos(), p + QPoint(8, 28) - QPoint(15, 15));
    }
    EXPECT_EQ(t.board->Canvas().Surface(), surface) << "nothing drawn while the piece travels";
    t.Release(Qt::LeftButton, QPoint(5, 5));
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_EQ(SquareImage(*t.board, Square::C7), before);
}

TEST(BoardDragFeedback, PointerShowsWhereTheDropWouldBeTaken) {
    struct Case {
        const char *where;
        QPoint point;
        Qt::CursorShape shape;
    };
    DragBench t;
    const std::vector<Case> cases = {
        {"legal square", t.Centre(Square::E4), Qt::DragMoveCursor},
        {"illegal square", t.Centre(Square::E5), Qt::ForbiddenCursor},
        {"origin", t.Centre(Square::E2), Qt::DragMoveCursor},
        {"one step", t.Centre(Square::E3), Qt::DragMoveCursor},
        {"own piece", t.Centre(Square::D2), Qt::ForbiddenCursor},
        {"frame", QPoint(290, 100), Qt::ForbiddenCursor},
        {"outside", QPoint(-7, 40), Qt::ForbiddenCursor},
        {"below the board", QPoint(100, 310), Qt::ForbiddenCursor},
    };
    t.Press(Qt::LeftButton, t.Centre(Square::E2));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "pending drags leave the pointer";
    for (const Case &c : cases) {
        t.Move(c.point);
        EXPECT_EQ(PointerShape(), c.shape) << c.where;
    }
    t.Release(Qt::LeftButton, QPoint(-7, 40));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(BoardDragFeedback, ModalWindowCancelsTheDrag) {
    for (bool active : {false, true}) {
        DragBench t;
        t.Press(Qt::LeftButton, t.Centre(Square::G1));
        if (active)
            t.Move(t.Centre(Square::F3));
        QDialog dialog(&t.host);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !t.board->IsDragging(); }, 2000)) << active;
        std::vector<std::string> expected = {"down L G1", "start"};
        if (active)
            expected.insert(expected.end(), {"over enter F3", "over move F3"});
        expected.insert(expected.end(), {"illegal G1", "end nil 0,0"});
        EXPECT_EQ(t.events, expected) << active;
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        dialog.close();
        EXPECT_EQ(t.board->Position(), TChessRules::StartPosition);
        EXPECT_EQ(t.board->Canvas().Surface(),
                  Reference(TChessRules::StartPosition)->Canvas().Surface());
    }
}

// A box opened by a move event during the drop belongs to a finished drag.
TEST(BoardDragFeedback, ModalBoxFromTheMateEventCancelsNothing) {
    DragBench t;
    ASSERT_TRUE(t.board->MakeMove(Square::F2, Square::F3));
    ASSERT_TRUE(t.board->MakeMove(Square::E7, Square::E5));
    ASSERT_TRUE(t.board->MakeMove(Square::G2, Square::G4));
    t.events.clear();
    QDialog notice(&t.host);
    notice.setWindowModality(Qt::ApplicationModal);
    t.board->OnMate = [&](TObject *, Square, Square) {
        t.events.push_back("mate");
        notice.show();
        QCoreApplication::processEvents();
        notice.close();
    };
    t.Press(Qt::LeftButton, t.Centre(Square::D8));
    t.Move(t.Centre(Square::H4));
    t.Release(Qt::LeftButton, t.Centre(Square::H4));
    const std::vector<std::string> expected = {
        "down L D8", "start",       "over enter H4", "over move H4", "over leave H4",
        "drop H4",   "legal D8-H4", "check",         "mate",         EndAt(t.Centre(Square::H4))};
    EXPECT_EQ(t.events, expected);
}

// When the position changes under an accepted drop the move is refused; the piece must not
// vanish from the screen.
TEST(BoardDragFeedback, RefusedDropDrawsThePieceBack) {
    DragBench t;
    t.board->OnDragDrop = [&](TObject *, TObject *, int, int) {
        t.events.push_back("drop");
        t.board->SetWhiteToMove(false); // as if a peer's message had arrived meanwhile
    };
    t.Press(Qt::LeftButton, t.Centre(Square::E2));
    t.Move(t.Centre(Square::E4));
    t.Release(Qt::LeftButton, t.Centre(Square::E4));
    const std::vector<std::string> expected = {"down L E2",
                                               "start",
                                               "over enter E4",
                                               "over move E4",
                                               "over leave E4",
                                               "drop",
                                               EndAt(t.Centre(Square::E4))};
    EXPECT_EQ(t.events, expected);
    EXPECT_EQ(t.board->Position(), TChessRules::StartPosition);
    EXPECT_EQ(t.board->Canvas().Surface(),
              Reference(TChessRules::StartPosition)->Canvas().Surface());
}

TEST(BoardDragFeedback, OnlyOneDragAtATime) {
    DragBench first;
    DragBench second;
    first.Press(Qt::LeftButton, first.Centre(Square::E2));
    first.Move(first.Centre(Square::E4));
    second.Press(Qt::LeftButton, second.Centre(Square::D2));
    EXPECT_EQ(second.events, std::vector<std::string>{"down L D2"});
    EXPECT_FALSE(second.board->IsDragging());
    EXPECT_EQ(second.board->DragFromSquare(), Square::D2);
    first.Release(Qt::LeftButton, first.Centre(Square::E4));
    EXPECT_EQ(first.board->Position()[Ord(Square::E4) - 1], 'P');
    EXPECT_EQ(first.board->DragFromSquare(), Square::E2) << "kept after the drag";
}

TEST(BoardDragFeedback, DragObjectFromStartDragIsTheSource) {
    DragBench t;
    TDragObject object;
    TObject *seen = nullptr;
    t.board->OnStartDrag = [&](TObject *, TDragObject *&dragObject) { dragObject = &object; };
    t.board->OnDragOver = [&](TObject *, TObject *source, int, int, TDragState, bool &) {
        seen = source;
    };
    t.Press(Qt::LeftButton, t.Centre(Square::E2));
    t.Move(t.Centre(Square::E4));
    EXPECT_EQ(seen, static_cast<TObject *>(&object));
    EXPECT_EQ(PointerShape(), Qt::ForbiddenCursor) << "the board only takes its own pieces";
    t.Release(Qt::LeftButton, t.Centre(Square::E4));
    EXPECT_EQ(t.board->Position(), TChessRules::StartPosition);
}

TEST(BoardDragFeedback, BoardDestroyedMidDragTakesItsFloatingPieceAlong) {
    DragBench t;
    t.Press(Qt::LeftButton, t.Centre(Square::E2));
    t.Move(t.Centre(Square::E4));
    const QPointer<const QWidget> overlay = t.board->DragImageWidget();
    ASSERT_TRUE(overlay != nullptr && overlay->isVisible());
    t.board->deleteLater();
    t.board = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(overlay == nullptr || !overlay->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(overlay, nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

// Whatever stops a drag half-way, the piece ends up drawn on its square and the drag is gone.
TEST(BoardDragFeedback, InterruptedDragsPutThePieceBack) {
    struct Case {
        const char *name;
        std::function<void(DragBench &)> interrupt;
        std::vector<std::string> tail;
    };
    const std::vector<Case> cases = {
        {"board disabled",
         [](DragBench &t) { t.board->setEnabled(false); },
         {"illegal E2", "end nil 0,0"}},
        {"board hidden", [](DragBench &t) { t.board->hide(); }, {"illegal E2", "end nil 0,0"}},
        {"drop accepted by a handler but refused as a move",
         [](DragBench &t) {
             t.board->OnDragOver = [](TObject *, TObject *, int, int, TDragState, bool &accept) {
                 accept = true;
             };
             t.Release(Qt::LeftButton, t.Centre(Square::E5));
         },
         {"drop E5", "end board"}},
    };
    for (const Case &c : cases) {
        DragBench t;
        t.Press(Qt::LeftButton, t.Centre(Square::E2));
        t.Move(t.Centre(Square::E5));
        t.events.clear();
        c.interrupt(t);
        std::vector<std::string> events = t.events;
        for (std::string &e : events)
            if (e.rfind("end board", 0) == 0)
                e = "end board";
        EXPECT_EQ(events, c.tail) << c.name;
        EXPECT_FALSE(t.board->IsDragging()) << c.name;
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << c.name;
        EXPECT_FALSE(t.board->DragImageWidget()->isVisible()) << c.name;
        EXPECT_EQ(t.board->Position(), TChessRules::StartPosition) << c.name;
        EXPECT_EQ(t.board->Canvas().Surface(),
                  Reference(TChessRules::StartPosition)->Canvas().Surface())
            << c.name;
    }
}
