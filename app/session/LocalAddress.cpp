#include "app/session/LocalAddress.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

namespace {
bool IsCallableIpv4(const QHostAddress &address) {
    return address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() &&
           !address.isNull() && address != QHostAddress(QHostAddress::AnyIPv4);
}

bool IsGlobalIpv6(const QHostAddress &address) {
    bool mapped = false;
    address.toIPv4Address(&mapped);
    return address.protocol() == QAbstractSocket::IPv6Protocol && !mapped && address.isGlobal() &&
           !address.isUniqueLocalUnicast() && !address.isSiteLocal();
}

std::optional<QString> FirstInterfaceAddress(const QList<TInterfaceAddress> &interfaces) {
    for (const TInterfaceAddress &entry : interfaces) {
        const QHostAddress address(entry.Address);
        if (entry.Up && IsCallableIpv4(address))
            return address.toString();
    }
    const QStringList ipv6 = GlobalIpv6Addresses(interfaces);
    if (!ipv6.isEmpty())
        return ipv6.first();
    return std::nullopt;
}
} // namespace

QString ChooseLocalAddress(const std::optional<QStringList> &resolved,
                           const std::function<QList<TInterfaceAddress>()> &interfaces) {
    if (resolved && !resolved->isEmpty() && !QHostAddress(resolved->last()).isLoopback())
        return resolved->last();
    if (const std::optional<QString> found = FirstInterfaceAddress(interfaces()))
        return *found;
    if (!resolved)
        return QString::fromLatin1(NoNetworkText);
    return resolved->isEmpty() ? QString() : resolved->last();
}

QStringList GlobalIpv6Addresses(const QList<TInterfaceAddress> &interfaces) {
    QStringList found;
    for (const TInterfaceAddress &entry : interfaces) {
        const QHostAddress address(entry.Address);
        if (entry.Up && IsGlobalIpv6(address) && !found.contains(address.toString()))
            found << address.toString();
    }
    return found;
}

TShownAddress ShowLocalAddress(const QString &local, const TPortMapStatus &forwarding,
                               const QStringList &globalIpv6) {
    using S = TPortMapStatus::TState;
    const bool mapped = forwarding.State == S::Mapped && !forwarding.ExternalAddress.isEmpty();
    QStringList lines;
    if (mapped) {
        const QString inside = forwarding.LanAddress.isEmpty() ? local : forwarding.LanAddress;
        lines << QStringLiteral("Your router forwards port 1024 to this computer.")
              << QStringLiteral("Address inside your network: %1").arg(inside);
    } else if (forwarding.State == S::Discovering) {
        lines << QStringLiteral("Asking your router to forward port 1024 ...");
    } else if (forwarding.State == S::Failed) {
        lines << QStringLiteral("No port forwarding: %1").arg(forwarding.Reason);
    }
    if (!globalIpv6.isEmpty())
        lines << QStringLiteral("IPv6: %1").arg(globalIpv6.join(QStringLiteral(", ")));
    QStringList escaped;
    for (const QString &line : lines)
        escaped << line.toHtmlEscaped();
    const QString tip =
        escaped.isEmpty() ? QString()
                          : QStringLiteral("<qt>%1</qt>").arg(escaped.join(QStringLiteral("<br>")));
    return {mapped ? forwarding.ExternalAddress : local, tip};
}

std::optional<QStringList> SystemLocalAddresses() {
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    if (info.error() != QHostInfo::NoError)
        return std::nullopt;
    QStringList addresses;
    for (const QHostAddress &address : info.addresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            addresses << address.toString();
    return addresses;
}

QList<TInterfaceAddress> SystemInterfaceAddresses() {
    QList<TInterfaceAddress> addresses;
    for (const QNetworkInterface &entry : QNetworkInterface::allInterfaces()) {
        const bool up = entry.flags().testFlag(QNetworkInterface::IsUp);
        for (const QNetworkAddressEntry &address : entry.addressEntries())
            addresses.append({address.ip().toString(), up, address.prefixLength()});
    }
    return addresses;
}

bool IsLocalCaller(const QString &address, const QList<TInterfaceAddress> &interfaces) {
    QHostAddress caller(address);
    // A dual-stack listener may show an IPv4 caller in its mapped IPv6 form.
    bool mapped = false;
    if (const quint32 v4 = caller.toIPv4Address(&mapped); mapped)
        caller = QHostAddress(v4);
    if (caller.isNull())
        return false;
    if (caller.isLoopback() || caller.isLinkLocal())
        return true;
    for (const TInterfaceAddress &entry : interfaces)
        if (entry.PrefixLength >= 0 &&
            caller.isInSubnet(QHostAddress(entry.Address), entry.PrefixLength))
            return true;
    return false;
}
