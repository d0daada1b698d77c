#pragma once
// Finds the other players on the local network and tells them about this one: a DNS-SD service
// of type ServiceType, published and browsed through the Avahi daemon. Without the daemon, or
// without a system bus, it stays quietly off, and starts once the daemon is there. Every daemon
// call (some wait long for an answer) runs on a worker thread of its own; what is found arrives
// on the owner's thread through the signals.
#include <QObject>
#include <QString>

#include <memory>
#include <thread>

struct TDiscoveryShared;

class TDiscovery : public QObject {
    Q_OBJECT
  public:
    static constexpr const char *ServiceType = "_boardwick._tcp";

    // callPort: the port Connect calls; players published on another port are not reported.
    explicit TDiscovery(quint16 callPort = 1024, QObject *parent = nullptr);
    // Leaves the network. A worker held up by the daemon longer than StopWaitMs is left to the
    // end of the process; the daemon withdraws what it published once its connection goes.
    ~TDiscovery() override;

    // Starts in the background and returns at once; only the first call has an effect.
    void Start();
    // The name this copy is published under, cut to what DNS-SD allows. Another player on the
    // network with the same name makes the daemon choose the next free one ("name #2").
    void SetName(const QString &name);
    // Publishes this copy with its listening port; 0 withdraws it.
    void Publish(quint16 port);

    // The bus is tried again this often while it is missing or failed. Read at Start.
    int RetryMs = 30000;
    int StopWaitMs = 300;

  signals:
    // One record of a player (its name on one interface and protocol), by a key of its own.
    void Found(const QString &key, const QString &name, const QString &address);
    void Gone(const QString &key);
    // The daemon went away: nothing found before stands.
    void AllGone();

  private:
    void Wake();

    std::shared_ptr<TDiscoveryShared> shared_;
    std::thread worker_;
};
