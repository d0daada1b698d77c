#include "net/NatPmpGateway.h"

#define ENABLE_STRNATPMPERR // the library has it; the header hides it by default
#include <natpmp.h>

#include <QDeadlineTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <limits>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

struct TNatPmpGateway::TSession {
    natpmp_t Handle{};
    ~TSession() { closenatpmp(&Handle); }
};

namespace {
constexpr int NoGateway = -1;
constexpr int ConflictInMappingEntry = 718;

TGatewayReply Failure(int code) {
    const char *text = strnatpmperr(code);
    return {code, text ? QString::fromUtf8(text) : QString()};
}

// Looks at the datagram waiting on the socket without taking it: 1 when there is none or it answers
// the request just sent (its opcode is the request's plus 128 and, for a mapping, it names the same
// internal port), 0 for anything else. A failed look takes the socket's error, which the library
// would have reported, so it is returned as the library would.
int Peek(const natpmp_t &handle, int opcode, quint16 internalPort) {
    unsigned char head[10] = {};
    const ssize_t size = ::recv(handle.s, head, sizeof head, MSG_PEEK | MSG_DONTWAIT);
    if (size < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK ? 1
               : errno == ECONNREFUSED                 ? NATPMP_ERR_NOGATEWAYSUPPORT
                                                       : NATPMP_ERR_RECVFROM;
    if (size < 2 || head[1] != 128 + opcode)
        return 0;
    return opcode == NATPMP_RESPTYPE_PUBLICADDRESS || size < 10 ||
           (head[8] << 8 | head[9]) == internalPort;
}

// Waits for the answer to the request just sent, resending on the library's schedule, for at most
// ms. Late answers to earlier requests are read and dropped: the library would take them for this
// one.
int AwaitReply(natpmp_t &handle, natpmpresp_t &reply, int ms, int opcode, quint16 internalPort) {
    const QDeadlineTimer deadline(ms);
    for (;;) {
        int waiting = 0;
        while ((waiting = Peek(handle, opcode, internalPort)) == 0) {
            unsigned char dropped = 0;
            ::recv(handle.s, &dropped, sizeof dropped, MSG_DONTWAIT);
        }
        if (waiting < 0)
            return waiting;
        const int result = readnatpmpresponseorretry(&handle, &reply);
        if (result != NATPMP_TRYAGAIN)
            return result;
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return NATPMP_ERR_NOGATEWAYSUPPORT;
        timeval wait{};
        getnatpmprequesttimeout(&handle, &wait);
        const qint64 waitMs = std::min<qint64>(left, wait.tv_sec * 1000 + wait.tv_usec / 1000);
        wait = {static_cast<time_t>(waitMs / 1000), static_cast<suseconds_t>(waitMs % 1000 * 1000)};
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(handle.s, &readable);
        ::select(handle.s + 1, &readable, nullptr, nullptr, &wait);
    }
}

// This machine's address on the way to the gateway (nothing is sent).
QString LocalAddressTowards(in_addr_t gateway) {
    const int probe = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (probe < 0)
        return {};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = gateway;
    to.sin_port = htons(NATPMP_PORT);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    QString found;
    if (::connect(probe, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr *>(&local), &length) == 0)
        found = QHostAddress(ntohl(local.sin_addr.s_addr)).toString();
    ::close(probe);
    return found;
}
} // namespace

TNatPmpGateway::TNatPmpGateway(QHostAddress gateway, int replyMs)
    : gateway_(std::move(gateway)), replyMs_(replyMs) {}

TNatPmpGateway::~TNatPmpGateway() = default;

TGatewayReply TNatPmpGateway::Discover(QString &lanAddress) {
    session_.reset();
    auto session = std::make_unique<TSession>();
    const bool forced = gateway_.protocol() == QAbstractSocket::IPv4Protocol;
    const in_addr_t forcedAddress = forced ? htonl(gateway_.toIPv4Address()) : 0;
    if (const int result = initnatpmp(&session->Handle, forced ? 1 : 0, forcedAddress); result < 0)
        return Failure(result);
    session_ = std::move(session);
    QString external;
    if (TGatewayReply asked = ExternalAddress(external); !asked.Ok()) {
        session_.reset();
        return asked;
    }
    lanAddress = LocalAddressTowards(session_->Handle.gateway);
    return {};
}

TGatewayReply TNatPmpGateway::ExternalAddress(QString &address) {
    if (!session_)
        return {NoGateway, QStringLiteral("no gateway")};
    natpmpresp_t reply{};
    if (const int sent = sendpublicaddressrequest(&session_->Handle); sent < 0)
        return Failure(sent);
    if (const int result =
            AwaitReply(session_->Handle, reply, replyMs_, NATPMP_RESPTYPE_PUBLICADDRESS, 0);
        result < 0)
        return Failure(result);
    address = QHostAddress(ntohl(reply.pnu.publicaddress.addr.s_addr)).toString();
    return {};
}

TGatewayReply TNatPmpGateway::Ask(quint16 internalPort, quint16 externalPort, int lifetime,
                                  quint16 &granted) {
    if (!session_)
        return {NoGateway, QStringLiteral("no gateway")};
    natpmpresp_t reply{};
    if (const int sent =
            sendnewportmappingrequest(&session_->Handle, NATPMP_PROTOCOL_TCP, internalPort,
                                      externalPort, static_cast<uint32_t>(lifetime));
        sent < 0)
        return Failure(sent);
    if (const int result = AwaitReply(session_->Handle, reply, replyMs_,
                                      NATPMP_RESPTYPE_TCPPORTMAPPING, internalPort);
        result < 0)
        return Failure(result);
    granted = reply.pnu.newportmapping.mappedpublicport;
    return {0,
            {},
            static_cast<int>(std::min<uint32_t>(reply.pnu.newportmapping.lifetime,
                                                std::numeric_limits<int>::max()))};
}

TGatewayReply TNatPmpGateway::AddMapping(const TMappingRequest &request) {
    quint16 granted = 0;
    const TGatewayReply asked =
        Ask(request.InternalPort, request.ExternalPort, request.LeaseSeconds, granted);
    if (asked.Ok() && granted != request.ExternalPort) {
        DeleteMapping(request.InternalPort);
        return {ConflictInMappingEntry,
                QStringLiteral("the router offered port %1 instead").arg(granted)};
    }
    return asked; // with the lease granted
}

TGatewayReply TNatPmpGateway::MappingClient(quint16, QString &) {
    return {NoGateway, QStringLiteral("not offered by NAT-PMP")};
}

// A lifetime of 0 removes the forwarding of that internal port (the same as the external one here).
TGatewayReply TNatPmpGateway::DeleteMapping(quint16 port) {
    quint16 granted = 0;
    return Ask(port, 0, 0, granted);
}
