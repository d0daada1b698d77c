#include "net/PortMapping.h"

#include "net/AddressText.h"

#include <QHostAddress>
#include <algorithm>

namespace {
constexpr int ConflictInMappingEntry = 718;
constexpr int OnlyPermanentLeasesSupported = 725;
constexpr int ShortestLeaseSeconds = 2;
constexpr int LongestRetryShift = 20;

QString Detail(const TGatewayReply &reply) {
    return reply.Text.isEmpty() ? QString::number(reply.Code)
                                : QStringLiteral("%1 %2").arg(reply.Code).arg(reply.Text);
}

int Granted(const TGatewayReply &added) {
    return added.LeaseSeconds > 0 ? added.LeaseSeconds : TPortMapping::LeaseSeconds;
}

// Empty when the other player can call the address; otherwise why not, in words for the player.
QString Unusable(const QString &external) {
    const QHostAddress parsed(external);
    if (parsed.isNull() || parsed == QHostAddress(QHostAddress::AnyIPv4))
        return QStringLiteral("The router did not tell its external address");
    if (!IsPublicAddress(parsed))
        return QStringLiteral("Double NAT: the router's own address %1 is not public")
            .arg(parsed.toString());
    return {};
}
} // namespace

int RetryDelayMs(int failedRenewals, int firstMs, int renewMs) {
    const int shift = std::clamp(failedRenewals - 1, 0, LongestRetryShift);
    return static_cast<int>(std::min<qint64>(qint64(firstMs) << shift, renewMs));
}

TPortMapping::TPortMapping(TPortGateway &gateway, quint16 port, QString description,
                           std::function<bool()> cancelled)
    : gateway_(gateway), port_(port), description_(std::move(description)),
      cancelled_(std::move(cancelled)) {}

TMappingRequest TPortMapping::Request() const {
    return {port_, status_.LanAddress, port_, description_, LeaseSeconds};
}

const TPortMapStatus &TPortMapping::Fail(const QString &reason) {
    status_.State = TPortMapStatus::TState::Failed;
    status_.ExternalAddress.clear();
    status_.Reason = reason;
    return status_;
}

int TPortMapping::RenewIntervalMs() const {
    return std::clamp(grantedSeconds_, ShortestLeaseSeconds, LeaseSeconds) * 1000 / 2;
}

const TPortMapStatus &TPortMapping::Mapped(const QString &external) {
    status_.State = TPortMapStatus::TState::Mapped;
    status_.ExternalAddress = QHostAddress(external).toString();
    status_.Reason.clear();
    return status_;
}

const TPortMapStatus &TPortMapping::Start() {
    status_ = {TPortMapStatus::TState::Discovering, {}, {}, {}};
    renewing_ = held_ = false;
    if (cancelled_())
        return Fail(QStringLiteral("Stopped"));
    if (const TGatewayReply found = gateway_.Discover(status_.LanAddress); !found.Ok())
        return Fail(
            QStringLiteral("No router offering port forwarding (UPnP or NAT-PMP) was found (%1)")
                .arg(Detail(found)));
    const QString port = QString::number(port_);
    // Some routers overwrite another machine's forwarding without a word; never take it over.
    QString holder;
    if (gateway_.MappingClient(port_, holder).Ok() && !holder.isEmpty() &&
        holder != status_.LanAddress)
        return Fail(QStringLiteral("The router already forwards port %1 to another machine (%2)")
                        .arg(port, holder));
    if (cancelled_())
        return Fail(QStringLiteral("Stopped"));
    const TGatewayReply added = gateway_.AddMapping(Request());
    if (added.Code == ConflictInMappingEntry)
        return Fail(
            QStringLiteral("The router already forwards port %1 to another machine").arg(port));
    if (added.Code == OnlyPermanentLeasesSupported)
        return Fail(QStringLiteral(
            "The router offers only permanent forwarding, which would outlive the program"));
    if (!added.Ok())
        return Fail(
            QStringLiteral("The router refused to forward port %1 (%2)").arg(port, Detail(added)));
    grantedSeconds_ = Granted(added);
    QString external;
    const TGatewayReply asked = gateway_.ExternalAddress(external);
    QString reason = asked.Ok()
                         ? Unusable(external)
                         : QStringLiteral("The router did not tell its external address (%1)")
                               .arg(Detail(asked));
    if (reason.isEmpty() && cancelled_())
        reason = QStringLiteral("Stopped");
    if (!reason.isEmpty()) {
        gateway_.DeleteMapping(port_);
        return Fail(reason);
    }
    renewing_ = held_ = true;
    return Mapped(external);
}

const TPortMapStatus &TPortMapping::Renew() {
    if (!renewing_)
        return status_;
    const TGatewayReply added = gateway_.AddMapping(Request());
    held_ = added.Ok();
    if (!added.Ok())
        return Fail(QStringLiteral("The router stopped forwarding port %1 (%2)")
                        .arg(QString::number(port_), Detail(added)));
    grantedSeconds_ = Granted(added);
    QString external;
    // A router that cannot tell its address just now keeps the one it told before.
    if (!gateway_.ExternalAddress(external).Ok() && status_.State == TPortMapStatus::TState::Mapped)
        return status_;
    if (const QString reason = Unusable(external); !reason.isEmpty())
        return Fail(reason);
    return Mapped(external);
}

// A renewal the router refused leaves nothing to delete; one that only failed on the address does.
void TPortMapping::Remove() {
    if (held_)
        gateway_.DeleteMapping(port_);
    renewing_ = held_ = false;
    status_.State = TPortMapStatus::TState::Idle;
    status_.ExternalAddress.clear();
}
