#include "PreciseTimer.h"

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
    : QObject(parent), Now(clock ? std::move(clock) : TClock(SteadyMilliseconds)) {
    Wakeup.setSingleShot(true);
    Wakeup.setTimerType(Qt::PreciseTimer);
    connect(&Wakeup, &QTimer::timeout, this, &TPreciseTimer::Fire);
}

void TPreciseTimer::SetEnabled(bool on) {
    if (on == Running)
        return;
    Running = on;
    ++Generation;
    if (!on) {
        Wakeup.stop();
        return;
    }
    TicksDone = 0;
    StartedAt = Now();
    ScheduleNext();
}

void TPreciseTimer::Fire() {
    const qint64 run = Generation;
    // A handler may stop or restart the timer; either ends this run's catch-up.
    while (Running && run == Generation && (TicksDone + 1) * Step() <= Elapsed()) {
        ++TicksDone;
        if (OnTimer)
            OnTimer();
    }
    if (Running && run == Generation)
        ScheduleNext();
}

void TPreciseTimer::ScheduleNext() {
    const qint64 due = (TicksDone + 1) * Step() - Elapsed();
    Wakeup.start(static_cast<int>(due > 0 ? due : 0));
}
