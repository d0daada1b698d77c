#include "net/PortMapping.h"

#include <QHostAddress>

namespace {
constexpr int ConflictInMappingEntry = 718;
constexpr int OnlyPermanentLeasesSupported = 725;

QString Detail(const TGatewayReply &reply) {
    return reply.Text.isEmpty() ? QString::number(reply.Code)
                                : QStringLiteral("%1 %2").arg(reply.Code).arg(reply.Text);
}
} // namespace

TPortMapping::TPortMapping(TPortGateway &gateway, quint16 port, QString description,
                           std::function<bool()> cancelled)
    : Gateway_(gateway), Port_(port), Description_(std::move(description)),
      Cancelled_(std::move(cancelled)) {}

TMappingRequest TPortMapping::Request() const {
    return {Port_, Status_.LanAddress, Port_, Description_, LeaseSeconds};
}

const TPortMapStatus &TPortMapping::Fail(const QString &reason) {
    Status_.State = TPortMapStatus::TState::Failed;
    Status_.ExternalAddress.clear();
    Status_.Reason = reason;
    return Status_;
}

const TPortMapStatus &TPortMapping::Start() {
    Status_ = {TPortMapStatus::TState::Discovering, {}, {}, {}};
    if (Cancelled_())
        return Fail(QStringLiteral("Stopped"));
    if (const TGatewayReply found = Gateway_.Discover(Status_.LanAddress); !found.Ok())
        return Fail(
            QStringLiteral("No router offering port forwarding (UPnP or NAT-PMP) was found (%1)")
                .arg(Detail(found)));
    const QString port = QString::number(Port_);
    // Some routers overwrite another machine's forwarding without a word; never take it over.
    QString holder;
    if (Gateway_.MappingClient(Port_, holder).Ok() && !holder.isEmpty() &&
        holder != Status_.LanAddress)
        return Fail(QStringLiteral("The router already forwards port %1 to another machine (%2)")
                        .arg(port, holder));
    if (Cancelled_())
        return Fail(QStringLiteral("Stopped"));
    const TGatewayReply added = Gateway_.AddMapping(Request());
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
    const TGatewayReply asked = Gateway_.ExternalAddress(external);
    const QHostAddress parsed(external);
    if (!asked.Ok() || parsed.isNull() || parsed == QHostAddress(QHostAddress::AnyIPv4)) {
        Gateway_.DeleteMapping(Port_);
        return Fail(asked.Ok() ? QStringLiteral("The router did not tell its external address")
                               : QStringLiteral("The router did not tell its external address (%1)")
                                     .arg(Detail(asked)));
    }
    if (Cancelled_()) {
        Gateway_.DeleteMapping(Port_);
        return Fail(QStringLiteral("Stopped"));
    }
    Status_.State = TPortMapStatus::TState::Mapped;
    Status_.ExternalAddress = parsed.toString();
    Status_.Reason.clear();
    return Status_;
}

const TPortMapStatus &TPortMapping::Renew() {
    if (Status_.State != TPortMapStatus::TState::Mapped)
        return Status_;
    if (const TGatewayReply added = Gateway_.AddMapping(Request()); !added.Ok())
        return Fail(QStringLiteral("The router stopped forwarding port %1 (%2)")
                        .arg(QString::number(Port_), Detail(added)));
    QString external;
    if (Gateway_.ExternalAddress(external).Ok() && !QHostAddress(external).isNull())
        Status_.ExternalAddress = QHostAddress(external).toString();
    return Status_;
}

void TPortMapping::Remove() {
    if (Status_.State == TPortMapStatus::TState::Mapped)
        Gateway_.DeleteMapping(Port_);
    Status_.State = TPortMapStatus::TState::Idle;
    Status_.ExternalAddress.clear();
}
