#pragma once
// Address text a player types into the address box or reads in the opponent label.
#include <QHostAddress>
#include <QString>

// What the address box holds, once read.
struct TTypedAddress {
    enum class TKind { Empty, Literal, Name, Invalid };
    TKind Kind = TKind::Empty;
    QHostAddress Address; // Literal only; an IPv4-mapped IPv6 literal is given as plain IPv4
    QString Name;         // Name only: the host name to look up
};

// Surrounding blanks are ignored. Literals: dotted IPv4, IPv6 with or without brackets, with a
// zone for link-local ("fe80::1%eth0", also "%25eth0" inside brackets). Anything else made of
// host-name labels is a Name; the rest (a port suffix, brackets around a non-IPv6, blanks inside,
// empty labels) is Invalid.
TTypedAddress ParseTypedAddress(const QString &text);

// A peer's address as shown to the player: dotted IPv4, also for an IPv4 peer seen through a
// dual-stack socket; otherwise IPv6 in compressed form with its zone. Empty for the null address.
QString PeerAddressText(const QHostAddress &address);

// The address itself, or the plain IPv4 address an IPv4-mapped IPv6 address stands for.
QHostAddress UnmappedAddress(const QHostAddress &address);

// Whether hosts anywhere on the Internet can reach the address: false for the unspecified,
// loopback, link-local, multicast and private addresses (10/8, 172.16/12, 192.168/16, fc00::/7)
// and for the providers' shared range 100.64/10.
bool IsPublicAddress(const QHostAddress &address);
