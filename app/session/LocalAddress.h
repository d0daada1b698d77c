#pragma once
#include "net/PortMapping.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// One address of a network interface as the system lists it, with whether that interface is up.
struct TInterfaceAddress {
    QString Address;
    bool Up = true;
    int PrefixLength = -1; // the subnet's length in bits; -1: not known
};

// Shown instead of an address when the machine has no usable network interface.
inline constexpr char NoNetworkText[] = "No network..";

// The address a player tells the other: the last of the resolver's IPv4 list. When that is a
// loopback (which cannot be called from elsewhere), or the resolver found no address (nullopt:
// the name does not resolve; empty: no IPv4 address), it gives way to the first non-loopback
// IPv4 address of an interface that is up, in interface order, or else to the first global IPv6
// address of one. With none of those: a loopback stays, no address gives empty text, and a name
// that does not resolve gives NoNetworkText. The interfaces are listed only in those cases.
QString ChooseLocalAddress(const std::optional<QStringList> &resolved,
                           const std::function<QList<TInterfaceAddress>()> &interfaces);

// The global IPv6 addresses of the interfaces that are up, in interface order, each once: what the
// other player can call when both have IPv6.
QStringList GlobalIpv6Addresses(const QList<TInterfaceAddress> &interfaces);

// A caller counts as local when it comes from loopback, a link-local address or the subnet of one
// of this machine's interfaces; any other caller is a stranger from outside, asked about first.
bool IsLocalCaller(const QString &address, const QList<TInterfaceAddress> &interfaces);

// The system resolver: the host's own name looked up; IPv4 addresses in the resolver's order.
// Blocks until the resolver answers.
std::optional<QStringList> SystemLocalAddresses();
// Every address of every interface, in the system's interface order.
QList<TInterfaceAddress> SystemInterfaceAddresses();

// "Your IP is" and its tooltip. The label shows the router's external address while port 1024
// is forwarded, else the local address. The tooltip (rich text, every part escaped: a router's
// words are not markup) tells the local address, how forwarding went and the global IPv6 addresses.
struct TShownAddress {
    QString Label;
    QString ToolTip;
};
TShownAddress ShowLocalAddress(const QString &local, const TPortMapStatus &forwarding,
                               const QStringList &globalIpv6);
