#include "net/ClientSocket.h"

#include "net/AddressText.h"
#include "net/SocketError.h"

#include <cerrno>
#include <netdb.h>

quint16 ServicePort(const QString &service, const char *api) {
    bool numeric = false;
    const uint number = service.toUInt(&numeric);
    if (numeric && number <= 65535)
        return static_cast<quint16>(number);
    // Read once from the local services table; no network is involved.
    if (const servent *entry = ::getservbyname(service.toLatin1().constData(), "tcp"))
        return ntohs(static_cast<uint16_t>(entry->s_port));
    throw WinSocketError(EINVAL, api);
}

TClientSocket::TClientSocket(QObject *parent) : QObject(parent), WinSocket_(new TCustomWinSocket(this)) {
    WinSocket_->OnNotice = [this](TCustomWinSocket *socket, TCustomWinSocket::TNotice notice) {
        Route(socket, notice);
    };
    WinSocket_->OnFailure = [this](TCustomWinSocket *socket, TErrorEvent kind, int &code) {
        if (OnError)
            OnError(this, socket, kind, code);
    };
}

TClientSocket::~TClientSocket() {
    if (LookupId_ >= 0)
        QHostInfo::abortHostLookup(LookupId_);
    WinSocket_->OnNotice = nullptr;
    WinSocket_->OnFailure = nullptr;
}

void TClientSocket::Route(TCustomWinSocket *socket, TCustomWinSocket::TNotice notice) {
    using N = TCustomWinSocket::TNotice;
    const TSocketNotifyEvent *slot = nullptr;
    switch (notice) {
    case N::Connecting: slot = &OnConnecting; break;
    case N::Connect: slot = &OnConnect; break;
    case N::Disconnect: slot = &OnDisconnect; break;
    case N::Read: slot = &OnRead; break;
    case N::Write: slot = &OnWrite; break;
    }
    if (slot && *slot)
        (*slot)(this, socket);
}

void TClientSocket::CheckInactive() const {
    if (Active())
        throw ESocketError(QString::fromLatin1(SocketTexts::CantChange));
}

void TClientSocket::SetHost(const QString &value) { CheckInactive(); Host_ = value; }
void TClientSocket::SetAddress(const QString &value) { CheckInactive(); Address_ = value; }
void TClientSocket::SetPort(int value) { CheckInactive(); Port_ = value; }
void TClientSocket::SetService(const QString &value) { CheckInactive(); Service_ = value; }
void TClientSocket::SetClientType(TClientType value) { CheckInactive(); ClientType_ = value; }

quint16 TClientSocket::TargetPort() const {
    return Service_.isEmpty() ? static_cast<quint16>(Port_) : ServicePort(Service_, "connect");
}

void TClientSocket::SetActive(bool value) {
    if (!value) {
        if (LookupId_ != -1) {
            QHostInfo::abortHostLookup(LookupId_);
            LookupId_ = -1;
        }
        WinSocket_->Close();
        return;
    }
    if (Active())
        return;
    if (Host_.isEmpty() && Address_.isEmpty())
        throw ESocketError(QString::fromLatin1(SocketTexts::NoAddress));
    const quint16 port = TargetPort();
    WinSocket_->BeginLookup();
    try {
        if (OnLookup)
            OnLookup(this, WinSocket_);
    } catch (...) {
        WinSocket_->CancelLookup();
        throw;
    }
    if (WinSocket_->State() != TCustomWinSocket::TState::LookingUp)
        return;
    PendingPort_ = port;
    // A literal (or Address when Host is empty) needs no lookup; anything else that is not a host
    // name is the all-zero address, which the connect refuses.
    const TTypedAddress typed = ParseTypedAddress(Host_.isEmpty() ? Address_ : Host_);
    if (typed.Kind == TTypedAddress::TKind::Name && !Host_.isEmpty()) {
        LookupId_ = QHostInfo::lookupHost(typed.Name, this, &TClientSocket::HostLookedUp);
        return;
    }
    const bool literal = typed.Kind == TTypedAddress::TKind::Literal;
    WinSocket_->ConnectTo(literal ? typed.Address : QHostAddress(QHostAddress::AnyIPv4), PendingPort_);
}

// Every address found is tried, in the resolver's order; none at all is the all-zero address.
void TClientSocket::HostLookedUp(const QHostInfo &info) {
    LookupId_ = -1;
    if (WinSocket_->State() != TCustomWinSocket::TState::LookingUp)
        return;
    const QList<QHostAddress> found = info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>{};
    RunSocketStep([this, found] { WinSocket_->ConnectTo(found, PendingPort_); });
}
