#include "PreciseTimer.h"

TPreciseTimer::TPreciseTimer(QObject *parent) : QObject(parent) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &TPreciseTimer::Fire);
}

void TPreciseTimer::SetEnabled(bool on) {
    if (on == running)
        return;
    running = on;
    ++generation;
    if (!on) {
        timer.stop();
        return;
    }
    ticksDone = 0;
    clock.start();
    ScheduleNext();
}

void TPreciseTimer::Fire() {
    const qint64 run = generation;
    // Every tick that has fallen due, in order; a handler may stop or restart the timer.
    while (running && run == generation && (ticksDone + 1) * Step() <= clock.elapsed()) {
        ++ticksDone;
        if (OnTimer)
            OnTimer();
    }
    if (running && run == generation)
        ScheduleNext();
}

void TPreciseTimer::ScheduleNext() {
    const qint64 due = (ticksDone + 1) * Step() - clock.elapsed();
    timer.start(static_cast<int>(due > 0 ? due : 0));
}
