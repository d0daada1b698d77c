#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

// A repeating timer whose ticks are counted against elapsed time since it was started, so they
// do not drift: a late tick is followed by the ticks that fell due meanwhile, and the next one
// is scheduled for its own due time rather than a full interval after the late one.
class TPreciseTimer : public QObject {
  public:
    explicit TPreciseTimer(QObject *parent = nullptr);

    int Interval = 1000; // milliseconds; read at each start
    std::function<void()> OnTimer;

    bool Enabled() const { return running; }
    void SetEnabled(bool on);

  private:
    void Fire();
    void ScheduleNext();
    qint64 Step() const { return Interval > 0 ? Interval : 1; }

    QTimer timer;
    QElapsedTimer clock;
    qint64 ticksDone = 0;
    qint64 generation = 0; // a restart during a tick ends the old run's catch-up
    bool running = false;
};
