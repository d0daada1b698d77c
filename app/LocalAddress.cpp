#include "LocalAddress.h"

#include <QHostAddress>

QString ChooseLocalAddress(const std::optional<QStringList> &resolved,
                           const std::function<QList<TInterfaceAddress>()> &interfaces) {
    if (!resolved)
        return QString::fromLatin1(NoNetworkText);
    if (resolved->isEmpty())
        return QString();
    const QString chosen = resolved->last();
    if (!QHostAddress(chosen).isLoopback())
        return chosen;
    for (const TInterfaceAddress &entry : interfaces()) {
        const QHostAddress address(entry.Address);
        if (entry.Up && address.protocol() == QAbstractSocket::IPv4Protocol &&
            !address.isLoopback())
            return address.toString();
    }
    return chosen;
}
