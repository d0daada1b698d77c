// Work put off until a window's first frame: it runs once, after that frame's paint; before it
// when the window is minimised first; never when the window goes first.
#include "app/FirstFrame.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Records what reaches a window: paints, state changes, and the deferred action.
struct TRecordedWindow : QWidget {
    std::vector<std::string> Seen;
    bool event(QEvent *e) override {
        if (e->type() == QEvent::Paint)
            Seen.push_back("paint");
        if (e->type() == QEvent::WindowStateChange)
            Seen.push_back(isMinimized() ? "minimised" : "state");
        return QWidget::event(e);
    }
};

bool WaitUntil(const std::function<bool()> &done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QTest::qWait(5);
    return done();
}

TEST(AfterFirstFrame, RunsOnceAfterThePaintOfTheFirstFrame) {
    TRecordedWindow window;
    window.resize(120, 80);
    AfterFirstFrame(&window, [&] { window.Seen.push_back("action"); });
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.Seen.empty());

    window.show();
    ASSERT_TRUE(WaitUntil([&] { return !window.Seen.empty() && window.Seen.back() == "action"; }));
    window.update();
    ASSERT_TRUE(WaitUntil([&] { return window.Seen.back() == "paint"; }));
    EXPECT_EQ(std::count(window.Seen.begin(), window.Seen.end(), "action"), 1);
    EXPECT_EQ(window.Seen.front(), "paint");
}

// Something the action installs on the window (a tray icon's minimise handler, say) still sees
// the minimising, and the window sees it once.
TEST(AfterFirstFrame, MinimisedBeforeAnyFrameRunsItBeforeTheMinimisingIsHandled) {
    TRecordedWindow window;
    std::vector<std::string> installed;
    struct Watch : QObject {
        std::vector<std::string> *Log;
        bool eventFilter(QObject *, QEvent *e) override {
            if (e->type() == QEvent::WindowStateChange)
                Log->push_back("minimising seen");
            return false;
        }
    } watch;
    watch.Log = &installed;
    AfterFirstFrame(&window, [&] {
        installed.push_back("action");
        window.installEventFilter(&watch);
    });
    window.showMinimized();
    EXPECT_EQ(installed, (std::vector<std::string>{"action", "minimising seen"}));
    EXPECT_EQ(std::count(window.Seen.begin(), window.Seen.end(), "minimised"), 1);
    window.showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(std::count(installed.begin(), installed.end(), "action"), 1);
}

TEST(AfterFirstFrame, DroppedWhenTheWindowGoesFirst) {
    bool ran = false;
    auto window = std::make_unique<QWidget>();
    AfterFirstFrame(window.get(), [&] { ran = true; });
    window->show();
    window.reset();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ran);
}

} // namespace
