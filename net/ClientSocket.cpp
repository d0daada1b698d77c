#include "net/ClientSocket.h"

#include "net/AddressText.h"
#include "net/SocketError.h"

TClientSocket::TClientSocket(QObject *parent)
    : QObject(parent), winSocket_(new TCustomWinSocket(this)) {
    winSocket_->OnNotice = [this](TCustomWinSocket *socket, TCustomWinSocket::TNotice notice) {
        Route(socket, notice);
    };
    winSocket_->OnFailure = [this](TCustomWinSocket *socket, TErrorEvent kind, int &code) {
        if (OnError)
            OnError(this, socket, kind, code);
    };
}

TClientSocket::~TClientSocket() {
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    winSocket_->OnNotice = nullptr;
    winSocket_->OnFailure = nullptr;
}

void TClientSocket::Route(TCustomWinSocket *socket, TCustomWinSocket::TNotice notice) {
    using N = TCustomWinSocket::TNotice;
    const TSocketNotifyEvent *slot = nullptr;
    switch (notice) {
    case N::Connecting:
        slot = &OnConnecting;
        break;
    case N::Connect:
        slot = &OnConnect;
        break;
    case N::Disconnect:
        slot = &OnDisconnect;
        break;
    case N::Read:
        slot = &OnRead;
        break;
    case N::Write:
        slot = &OnWrite;
        break;
    }
    if (slot && *slot)
        (*slot)(this, socket);
}

void TClientSocket::CheckInactive() const {
    if (Active())
        throw ESocketError(QString::fromLatin1(SocketTexts::CantChange));
}

void TClientSocket::SetHost(const QString &value) {
    CheckInactive();
    host_ = value;
}
void TClientSocket::SetAddress(const QString &value) {
    CheckInactive();
    address_ = value;
}
void TClientSocket::SetPort(int value) {
    CheckInactive();
    port_ = value;
}
void TClientSocket::SetClientType(TClientType value) {
    CheckInactive();
    clientType_ = value;
}

void TClientSocket::SetActive(bool value) {
    if (!value) {
        if (lookupId_ != -1) {
            QHostInfo::abortHostLookup(lookupId_);
            lookupId_ = -1;
        }
        winSocket_->Close();
        return;
    }
    if (Active())
        return;
    if (host_.isEmpty() && address_.isEmpty())
        throw ESocketError(QString::fromLatin1(SocketTexts::NoAddress));
    const auto port = static_cast<quint16>(port_);
    winSocket_->BeginLookup();
    try {
        if (OnLookup)
            OnLookup(this, winSocket_);
    } catch (...) {
        winSocket_->CancelLookup();
        throw;
    }
    if (winSocket_->State() != TCustomWinSocket::TState::LookingUp)
        return;
    pendingPort_ = port;
    // A literal (or Address when Host is empty) needs no lookup; anything else that is not a host
    // name is the all-zero address, which the connect refuses.
    const TTypedAddress typed = ParseTypedAddress(host_.isEmpty() ? address_ : host_);
    if (typed.Kind == TTypedAddress::TKind::Name && !host_.isEmpty()) {
        lookupId_ = QHostInfo::lookupHost(typed.Name, this, &TClientSocket::HostLookedUp);
        return;
    }
    const bool literal = typed.Kind == TTypedAddress::TKind::Literal;
    winSocket_->ConnectTo(literal ? typed.Address : QHostAddress(QHostAddress::AnyIPv4),
                          pendingPort_);
}

// Every address found is tried, in the resolver's order; none at all is the all-zero address.
void TClientSocket::HostLookedUp(const QHostInfo &info) {
    lookupId_ = -1;
    if (winSocket_->State() != TCustomWinSocket::TState::LookingUp)
        return;
    const QList<QHostAddress> found =
        info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>{};
    RunSocketStep([this, found] { winSocket_->ConnectTo(found, pendingPort_); });
}
