#include "net/AddressText.h"

namespace {
constexpr qsizetype MaxNameLength = 253;
constexpr qsizetype MaxLabelLength = 63;

bool IsNameCharacter(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_');
}

// Labels separated by dots, one trailing dot allowed (a fully qualified name).
bool IsHostName(QString name) {
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name.isEmpty() || name.size() > MaxNameLength)
        return false;
    for (const QStringView label : QStringView(name).split(QLatin1Char('.'))) {
        if (label.isEmpty() || label.size() > MaxLabelLength)
            return false;
        for (const QChar c : label)
            if (!IsNameCharacter(c))
                return false;
    }
    return true;
}

TTypedAddress Literal(const QHostAddress &address) {
    return {TTypedAddress::TKind::Literal, UnmappedAddress(address), {}};
}
} // namespace

QHostAddress UnmappedAddress(const QHostAddress &address) {
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    if (mapped && address.protocol() == QAbstractSocket::IPv6Protocol)
        return QHostAddress(ipv4);
    return address;
}

bool IsPublicAddress(const QHostAddress &address) {
    const QHostAddress plain = UnmappedAddress(address);
    if (plain.isNull() || plain.isLoopback() || plain.isLinkLocal() || plain.isMulticast() ||
        plain.isUniqueLocalUnicast() || plain == QHostAddress(QHostAddress::AnyIPv4) ||
        plain == QHostAddress(QHostAddress::AnyIPv6))
        return false;
    if (plain.protocol() != QAbstractSocket::IPv4Protocol)
        return true;
    const quint32 ipv4 = plain.toIPv4Address();
    const auto in = [ipv4](quint32 network, int bits) {
        return (ipv4 ^ network) >> (32 - bits) == 0;
    };
    return !in(0x0A000000, 8) && !in(0xAC100000, 12) && !in(0xC0A80000, 16) && !in(0x64400000, 10);
}

TTypedAddress ParseTypedAddress(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    QHostAddress address;
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
        QString inner = trimmed.mid(1, trimmed.size() - 2);
        inner.replace(QLatin1String("%25"), QLatin1String("%")); // the zone as written in a URL
        if (address.setAddress(inner) && address.protocol() == QAbstractSocket::IPv6Protocol)
            return Literal(address);
        return {TTypedAddress::TKind::Invalid, {}, {}};
    }
    if (address.setAddress(trimmed))
        return Literal(address);
    if (IsHostName(trimmed))
        return {TTypedAddress::TKind::Name, {}, trimmed};
    return {TTypedAddress::TKind::Invalid, {}, {}};
}

QString PeerAddressText(const QHostAddress &address) {
    if (address.isNull())
        return {};
    return UnmappedAddress(address).toString();
}
