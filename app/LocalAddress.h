#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// One address of a network interface as the system lists it, with whether that interface is up.
struct TInterfaceAddress {
    QString Address;
    bool Up = true;
};

// Shown instead of an address when the host's own name does not resolve.
inline constexpr char NoNetworkText[] = "No network..";

// The address a player tells the other: the last of the resolver's IPv4 list (empty list: empty
// text; nullopt: NoNetworkText). A loopback answer cannot be called from elsewhere, so it gives way
// to the first non-loopback IPv4 address of an interface that is up, in interface order. The
// interfaces are listed only in that case.
QString ChooseLocalAddress(const std::optional<QStringList> &resolved,
                           const std::function<QList<TInterfaceAddress>()> &interfaces);
