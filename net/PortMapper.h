#pragma once
// Asks the router, in the background, to forward an external TCP port to this machine's same
// port, keeps the forwarding alive while the program runs and removes it at the end. Every router
// call runs on a worker thread; results arrive on the owner's thread through StatusChanged.
#include "net/PortMapping.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

class TPortMapperWorker;

class TPortMapper : public QObject {
    Q_OBJECT
  public:
    // gateway: null for the real router, asked through UPnP IGD and else through NAT-PMP.
    explicit TPortMapper(quint16 port = 1024, std::unique_ptr<TPortGateway> gateway = nullptr,
                         QObject *parent = nullptr);
    // Stops as Stop() does and waits at most StopTimeout for the removal; after that the worker
    // is left to the end of the process and the short lease lapses by itself.
    ~TPortMapper() override;

    // Starts discovery and forwarding (once listening, see SetListening); returns at once. Only the
    // first call has an effect.
    void Start();
    // While the program does not listen, the forwarding is removed in the background and not
    // renewed (the status becomes Idle); once it listens again, the forwarding is asked for afresh.
    // Before Start only remembered; no effect after Stop.
    void SetListening(bool listening);
    bool Listening() const { return listening_; }
    // Removes the forwarding in the background and ends the worker; returns at once. Stopped is
    // emitted once the removal is done.
    void Stop();
    TPortMapStatus Status() const { return status_; }
    bool Stopped() const { return stopped_; }

    // Description shown in the router's list of forwardings.
    static constexpr const char *Description = "Boardwick chess";
    // 0: half the lease the router granted. Read at Start.
    int RenewIntervalMs = 0;
    // The first retry after a failed renewal; each further one waits twice as long, up to the
    // renewal interval. Read at Start.
    int RetryFirstMs = 5000;
    int StopTimeoutMs = 3000;

  signals:
    void StatusChanged(const TPortMapStatus &status);
    void Finished();

  private:
    void Take(const TPortMapStatus &status);
    void Map();

    quint16 port_;
    std::unique_ptr<TPortGateway> gateway_; // handed to the worker at Start
    std::unique_ptr<QThread> thread_;
    TPortMapperWorker *worker_ = nullptr; // lives on thread_, deleted when it finishes
    std::shared_ptr<std::atomic<bool>> cancelled_;
    TPortMapStatus status_;
    bool stopped_ = false;
    bool listening_ = true;
};
