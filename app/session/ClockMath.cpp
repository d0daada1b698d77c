#include "app/session/ClockMath.h"

bool TickClock(int &minutes, int &seconds) {
    if (seconds > 0) {
        --seconds;
    } else {
        seconds = 59;
        --minutes;
    }
    return minutes < 0;
}

QString ClockText(int minutes, int seconds) {
    return QString::number(minutes) + QLatin1Char(':') + QString::number(seconds);
}
