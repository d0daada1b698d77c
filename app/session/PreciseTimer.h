#pragma once
#include <QObject>
#include <QTimer>
#include <functional>

// A repeating timer whose ticks are counted against elapsed time since it was started, so they
// do not drift: a late tick is followed by the ticks that fell due meanwhile, and the next one
// is scheduled for its own due time rather than a full interval after the late one.
class TPreciseTimer : public QObject {
  public:
    // Milliseconds on a steady clock; the default is the system's monotonic clock.
    using TClock = std::function<qint64()>;

    explicit TPreciseTimer(QObject *parent = nullptr, TClock clock = {});

    int Interval = 1000; // milliseconds; read at each start
    std::function<void()> OnTimer;

    bool Enabled() const { return running_; }
    void SetEnabled(bool on);
    // Runs every tick that has fallen due by the clock, in order; the timer's own wake-up calls it.
    void Fire();

  private:
    void ScheduleNext();
    qint64 Step() const { return Interval > 0 ? Interval : 1; }
    qint64 Elapsed() const { return now_() - startedAt_; }

    TClock now_;
    QTimer wakeup_;
    qint64 startedAt_ = 0;
    qint64 ticksDone_ = 0;
    qint64 generation_ = 0; // a restart during a tick ends the old run's catch-up
    bool running_ = false;
};
