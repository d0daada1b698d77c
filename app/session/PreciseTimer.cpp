#include "app/session/PreciseTimer.h"

#include <QElapsedTimer>

namespace {
qint64 SteadyMilliseconds() {
    static const QElapsedTimer origin = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return origin.elapsed();
}
} // namespace

TPreciseTimer::TPreciseTimer(QObject *parent, TClock clock)
    : QObject(parent), now_(clock ? std::move(clock) : TClock(SteadyMilliseconds)) {
    wakeup_.setSingleShot(true);
    wakeup_.setTimerType(Qt::PreciseTimer);
    connect(&wakeup_, &QTimer::timeout, this, &TPreciseTimer::Fire);
}

void TPreciseTimer::SetEnabled(bool on) {
    if (on == running_)
        return;
    running_ = on;
    ++generation_;
    if (!on) {
        wakeup_.stop();
        return;
    }
    ticksDone_ = 0;
    startedAt_ = now_();
    ScheduleNext();
}

void TPreciseTimer::Fire() {
    const qint64 run = generation_;
    // A handler may stop or restart the timer; either ends this run's catch-up.
    while (running_ && run == generation_ && (ticksDone_ + 1) * Step() <= Elapsed()) {
        ++ticksDone_;
        if (OnTimer)
            OnTimer();
    }
    if (running_ && run == generation_)
        ScheduleNext();
}

void TPreciseTimer::ScheduleNext() {
    const qint64 due = (ticksDone_ + 1) * Step() - Elapsed();
    wakeup_.start(static_cast<int>(due > 0 ? due : 0));
}
