#include "net/PortMapping.h"

#include "net/AddressText.h"

#include <QHostAddress>

namespace {
constexpr int ConflictInMappingEntry = 718;
constexpr int OnlyPermanentLeasesSupported = 725;

QString Detail(const TGatewayReply &reply) {
    return reply.Text.isEmpty() ? QString::number(reply.Code)
                                : QStringLiteral("%1 %2").arg(reply.Code).arg(reply.Text);
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

const TPortMapStatus &TPortMapping::Start() {
    status_ = {TPortMapStatus::TState::Discovering, {}, {}, {}};
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
    status_.State = TPortMapStatus::TState::Mapped;
    status_.ExternalAddress = QHostAddress(external).toString();
    status_.Reason.clear();
    return status_;
}

const TPortMapStatus &TPortMapping::Renew() {
    if (status_.State != TPortMapStatus::TState::Mapped)
        return status_;
    if (const TGatewayReply added = gateway_.AddMapping(Request()); !added.Ok())
        return Fail(QStringLiteral("The router stopped forwarding port %1 (%2)")
                        .arg(QString::number(port_), Detail(added)));
    QString external;
    if (gateway_.ExternalAddress(external).Ok() && !QHostAddress(external).isNull())
        status_.ExternalAddress = QHostAddress(external).toString();
    return status_;
}

void TPortMapping::Remove() {
    if (status_.State == TPortMapStatus::TState::Mapped)
        gateway_.DeleteMapping(port_);
    status_.State = TPortMapStatus::TState::Idle;
    status_.ExternalAddress.clear();
}
