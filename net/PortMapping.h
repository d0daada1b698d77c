#pragma once
// Forwarding of one external TCP port to this machine: the steps against a router, without threads.
#include "net/PortGateway.h"

#include <QMetaType>
#include <functional>

struct TPortMapStatus {
    enum class TState { Idle, Discovering, Mapped, Failed };
    TState State = TState::Idle;
    QString ExternalAddress; // Mapped: the address the other player calls
    QString LanAddress;      // this machine's address towards the router, once found
    QString Reason;          // Failed: why, in words for the player
};
Q_DECLARE_METATYPE(TPortMapStatus)

class TPortMapping {
  public:
    // The lease is short so that a mapping outlived by a crashed program soon lapses.
    static constexpr int LeaseSeconds = 300;

    // cancelled is asked between steps: once it answers true, no new mapping is made and one just
    // made is removed again.
    TPortMapping(
        TPortGateway &gateway, quint16 port, QString description,
        std::function<bool()> cancelled = [] { return false; });

    // Discover, check that the external port is free or already ours, forward it, learn the
    // router's external address, which must be public (else the router sits behind another NAT
    // and nobody outside can call). A refusal leaves nothing mapped.
    const TPortMapStatus &Start();
    // Asks again for the same forwarding (extending the lease) and refreshes the external address.
    // Keeps asking after a failed renewal, until Remove.
    const TPortMapStatus &Renew();
    bool Renewing() const { return renewing_; }
    // Half the lease the router granted, so that one failed renewal still leaves time for another.
    int RenewIntervalMs() const;
    // Removes the forwarding this object made, if any; the state becomes Idle.
    void Remove();
    const TPortMapStatus &Status() const { return status_; }

  private:
    const TPortMapStatus &Fail(const QString &reason);
    const TPortMapStatus &Mapped(const QString &external);
    TMappingRequest Request() const;

    TPortGateway &gateway_;
    quint16 port_;
    QString description_;
    std::function<bool()> cancelled_;
    TPortMapStatus status_;
    bool renewing_ = false; // from a successful Start until Remove
    bool held_ = false;     // the router holds our forwarding, as far as we know
    int grantedSeconds_ = LeaseSeconds;
};

// The wait before trying again after failedRenewals renewals failed in a row: firstMs, doubled for
// each further failure, never more than renewMs.
int RetryDelayMs(int failedRenewals, int firstMs, int renewMs);
