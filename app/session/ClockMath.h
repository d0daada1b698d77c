#pragma once
#include <QString>

// One second off a countdown clock of whole minutes and a seconds part (0..59).
// Answers true when the flag has fallen, that is when minutes went below 0.
bool TickClock(int &minutes, int &seconds);

// Minutes ":" seconds in decimal without leading zeros: "45:0", "44:59", "0:5".
QString ClockText(int minutes, int seconds);
