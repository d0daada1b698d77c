#include "app/session/PreciseTimer.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

// A timer on a clock the test moves by hand; Fire stands in for the timer's wake-up.
struct TFakeClockTimer {
    qint64 Now = 1000;
    int Ticks = 0;
    TPreciseTimer Timer{nullptr, [this] { return Now; }};
    explicit TFakeClockTimer(int interval) {
        Timer.Interval = interval;
        Timer.OnTimer = [this] { ++Ticks; };
    }
    void Pass(qint64 ms) {
        Now += ms;
        Timer.Fire();
    }
};

struct TickRow {
    const char *name;
    int interval;
    std::vector<qint64> steps; // milliseconds passed before each wake-up
    int ticks;
};

class PreciseTimerTicks : public ::testing::TestWithParam<TickRow> {};

// A tick never comes before its due time, and a late wake-up brings every tick due meanwhile.
TEST_P(PreciseTimerTicks, CountedAgainstTheClock) {
    TFakeClockTimer fake(GetParam().interval);
    fake.Timer.SetEnabled(true);
    for (const qint64 step : GetParam().steps)
        fake.Pass(step);
    EXPECT_EQ(fake.Ticks, GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(Rows, PreciseTimerTicks,
                         ::testing::Values(TickRow{"EarlyWakeUp", 1000, {999}, 0},
                                           TickRow{"OnTime", 1000, {1000, 1000, 1000}, 3},
                                           TickRow{"LateWakeUpCatchesUp", 1000, {3500}, 3},
                                           TickRow{
                                               "NoDriftFromLateTicks", 1000, {1300, 1300, 400}, 3},
                                           TickRow{"ZeroIntervalIsOneMillisecond", 0, {5}, 5}),
                         test_rows::RowName);

TEST(PreciseTimer, StoppedTimerTicksNoMoreAndRestartsFromZero) {
    TFakeClockTimer fake(100);
    fake.Timer.SetEnabled(true);
    fake.Pass(250);
    fake.Timer.SetEnabled(false);
    fake.Pass(1000);
    EXPECT_EQ(fake.Ticks, 2);
    fake.Timer.SetEnabled(true);
    fake.Pass(99);
    EXPECT_EQ(fake.Ticks, 2);
    fake.Pass(1);
    EXPECT_EQ(fake.Ticks, 3);
}

TEST(PreciseTimer, HandlerThatStopsTheTimerEndsTheCatchUp) {
    TFakeClockTimer fake(5);
    fake.Timer.OnTimer = [&] {
        ++fake.Ticks;
        fake.Timer.SetEnabled(false);
    };
    fake.Timer.SetEnabled(true);
    fake.Pass(50);
    EXPECT_EQ(fake.Ticks, 1);
    EXPECT_FALSE(fake.Timer.Enabled());
}

} // namespace
