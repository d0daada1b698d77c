#include "app/FirstFrame.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace {

// Owned by the window; gone with it.
class TFirstFrameWatch final : public QObject {
  public:
    TFirstFrameWatch(QWidget *window, std::function<void()> action)
        : QObject(window), Window(window), Action(std::move(action)) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != Window || Done)
            return false;
        if (event->type() == QEvent::Paint) {
            Done = true;
            // Queued: the paint event is part of the frame, which is out once it returns.
            QMetaObject::invokeMethod(
                this, [this] { Run(); }, Qt::QueuedConnection);
        } else if (event->type() == QEvent::WindowStateChange && Window->isMinimized()) {
            // Minimised before any frame: the action runs first, and whatever it installed on
            // the window sees the minimising in place of this event.
            Done = true;
            QWindowStateChangeEvent again(
                static_cast<QWindowStateChangeEvent *>(event)->oldState());
            Run();
            QCoreApplication::sendEvent(Window, &again);
            return true;
        }
        return false;
    }

  private:
    void Run() {
        Window->removeEventFilter(this);
        const auto action = std::move(Action);
        deleteLater();
        action();
    }

    QWidget *Window;
    std::function<void()> Action;
    bool Done = false;
};

} // namespace

void AfterFirstFrame(QWidget *window, std::function<void()> action) {
    new TFirstFrameWatch(window, std::move(action));
}
