#include "net/CustomWinSocket.h"

#include "net/AddressText.h"
#include "net/SocketError.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <algorithm>
#include <cerrno>

namespace {
constexpr qsizetype MaxCandidates = 6;
}

TCustomWinSocket::TCustomWinSocket(QObject *parent)
    : QObject(parent), attemptTimer_(new QTimer(this)) {
    attemptTimer_->setSingleShot(true);
    connect(attemptTimer_, &QTimer::timeout, this, &TCustomWinSocket::AttemptTimedOut);
}

TCustomWinSocket::~TCustomWinSocket() {
    Detach(false);
}

void TCustomWinSocket::BeginLookup() {
    if (state_ != TState::Closed)
        throw ESocketError(QString::fromLatin1(SocketTexts::AlreadyOpen));
    state_ = TState::LookingUp;
}

void TCustomWinSocket::CancelLookup() {
    if (state_ == TState::LookingUp)
        state_ = TState::Closed;
}

void TCustomWinSocket::ConnectTo(const QHostAddress &address, quint16 port) {
    ConnectTo(QList<QHostAddress>{address}, port);
}

void TCustomWinSocket::ConnectTo(const QList<QHostAddress> &addresses, quint16 port) {
    if (state_ == TState::Connecting || state_ == TState::Connected)
        throw ESocketError(QString::fromLatin1(SocketTexts::AlreadyOpen));
    state_ = TState::Connecting;
    const quint64 generation = generation_;
    try {
        Notify(TNotice::Connecting);
    } catch (...) {
        state_ = TState::Closed;
        throw;
    }
    if (generation != generation_ || state_ != TState::Connecting)
        return;
    candidates_.clear();
    // A few addresses at most, so that the whole call stays bounded by a few attempts.
    for (const QHostAddress &address :
         addresses.first(std::min<qsizetype>(addresses.size(), MaxCandidates))) {
        // Linux would take an all-zero address for the local host; an unresolved name must not call
        // ourselves.
        if (!address.isNull() && address != QHostAddress(QHostAddress::AnyIPv4) &&
            address != QHostAddress(QHostAddress::AnyIPv6))
            candidates_.append(UnmappedAddress(address));
    }
    if (candidates_.isEmpty()) {
        state_ = TState::Closed;
        ++generation_;
        Notify(TNotice::Disconnect);
        throw WinSocketError(EADDRNOTAVAIL, "connect");
    }
    nextCandidate_ = 0;
    callPort_ = port;
    StartAttempt();
}

void TCustomWinSocket::StartAttempt() {
    auto *socket = new QSslSocket(this);
    Attach(socket);
    const QHostAddress address = candidates_[nextCandidate_++];
    if (nextCandidate_ < candidates_.size())
        attemptTimer_->start(attemptTimeoutMs_);
    socket->connectToHost(address, callPort_);
}

// The attempt gives way to the next address; the event order stays that of a single connect.
void TCustomWinSocket::AttemptTimedOut() {
    if (state_ == TState::Connecting && nextCandidate_ < candidates_.size())
        StartAttempt();
}

void TCustomWinSocket::Adopt(QTcpSocket *socket) {
    socket->setParent(this);
    Attach(socket);
    SendWithoutDelay(socket);
    state_ = TState::Connected;
}

// Lines are small and interactive: each goes out at once instead of waiting for the previous one's
// acknowledgement. Qt keeps the option only once the connection exists, hence not at Attach.
void TCustomWinSocket::SendWithoutDelay(QTcpSocket *socket) {
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void TCustomWinSocket::Attach(QTcpSocket *socket) {
    Detach(false);
    socket_ = socket;
    received_.clear();
    writeBacklog_ = false;
    connect(socket, &QTcpSocket::connected, this, &TCustomWinSocket::HandleConnected);
    connect(socket, &QTcpSocket::readyRead, this, &TCustomWinSocket::HandleReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &TCustomWinSocket::HandleBytesWritten);
    connect(socket, &QTcpSocket::disconnected, this, &TCustomWinSocket::HandleDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &TCustomWinSocket::HandleError);
}

// Steps already queued for the old socket are ignored once the generation moves on. A graceful
// detach lets the socket write out what is still queued before it closes, then it frees itself.
void TCustomWinSocket::Detach(bool graceful) {
    ++generation_;
    attemptTimer_->stop();
    if (!socket_)
        return;
    QTcpSocket *socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    if (graceful && socket->state() == QAbstractSocket::ConnectedState &&
        socket->bytesToWrite() > 0) {
        socket->setParent(QCoreApplication::instance());
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
        // A peer that never reads would keep the socket and its queue for good.
        QTimer::singleShot(closeTimeoutMs_, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        return;
    }
    socket->abort();
    socket->deleteLater();
}

void TCustomWinSocket::Close() {
    if (state_ == TState::LookingUp || state_ == TState::Connecting) {
        // A call still under way is given up quietly: it never connected, so nothing has ended.
        state_ = TState::Closed;
        Detach(false);
        return;
    }
    if (state_ != TState::Connected)
        return;
    if (socket_)
        received_ += socket_->readAll();
    state_ = TState::Closed;
    Detach(true);
    Notify(TNotice::Disconnect);
}

// Nothing queued is delivered. The notice is posted, not raised inside the caller's send.
void TCustomWinSocket::CutOff() {
    received_ += socket_->readAll();
    state_ = TState::Closed;
    Detach(false);
    Post([this] { Notify(TNotice::Disconnect); });
}

void TCustomWinSocket::Drop() {
    state_ = TState::Closed;
    Detach(true);
}

template <class F> void TCustomWinSocket::Post(F &&step) {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, step = std::forward<F>(step)]() {
            if (generation == generation_)
                RunSocketStep(step);
        },
        Qt::QueuedConnection);
}

void TCustomWinSocket::Notify(TNotice notice) {
    if (OnNotice)
        OnNotice(this, notice);
}

int TCustomWinSocket::Fail(TErrorEvent kind, int code) {
    if (OnFailure)
        OnFailure(this, kind, code);
    return code;
}

void TCustomWinSocket::HandleConnected() {
    attemptTimer_->stop();
    if (socket_)
        SendWithoutDelay(socket_);
    Post([this] {
        state_ = TState::Connected;
        const quint64 generation = generation_;
        Notify(TNotice::Connect);
        if (generation == generation_ && Connected())
            Notify(TNotice::Write);
    });
}

// Bytes are taken from Qt at once so that they stay readable after a close that follows them.
void TCustomWinSocket::HandleReadyRead() {
    if (socket_)
        received_ += socket_->readAll();
    Post([this] {
        if (Connected() && !received_.isEmpty())
            Notify(TNotice::Read);
    });
}

void TCustomWinSocket::HandleBytesWritten() {
    if (!writeBacklog_ || !socket_ || socket_->bytesToWrite() > 0)
        return;
    writeBacklog_ = false;
    Post([this] {
        if (Connected())
            Notify(TNotice::Write);
    });
}

void TCustomWinSocket::HandleDisconnected() {
    Post([this] {
        if (state_ != TState::Connected)
            return;
        Close();
    });
}

void TCustomWinSocket::HandleError(QAbstractSocket::SocketError error) {
    // A peer's orderly close is not a failure: the disconnect that follows reports it.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    const int code = ErrnoForSocketError(error);
    const bool pendingOutput = socket_ && socket_->bytesToWrite() > 0;
    Post([this, code, pendingOutput] {
        if (state_ == TState::Connecting && nextCandidate_ < candidates_.size()) {
            StartAttempt();
            return;
        }
        if (state_ == TState::Connecting) {
            // The notification is dropped: no connect or disconnect follows; a new attempt starts
            // afresh.
            state_ = TState::Closed;
            Detach(false);
            if (const int left = Fail(eeConnect, code); left != 0)
                throw AsyncSocketError(left);
            return;
        }
        if (state_ != TState::Connected)
            return;
        // A broken connection is closed so that its owner learns that it is gone.
        const TErrorEvent kind = pendingOutput ? eeSend : eeReceive;
        const int left = Fail(kind, code);
        Close();
        if (left != 0)
            throw WinSocketError(left, kind == eeSend ? "send" : "recv");
    });
}

qint64 TCustomWinSocket::SendString(const QByteArray &text) {
    // A peer that has gone (or was cut off) takes nothing more, without a warning per line.
    if (!Connected() || !socket_ || !socket_->isWritable())
        return 0;
    const qint64 taken = socket_->write(text);
    // Hand the system what it takes now; a remainder means it would block, and a write notice
    // follows once the queue has drained.
    socket_->flush();
    if (socket_->bytesToWrite() > MaxQueuedBytes) {
        CutOff();
        return 0;
    }
    if (socket_->bytesToWrite() > 0)
        writeBacklog_ = true;
    return taken < 0 ? 0 : taken;
}

QByteArray TCustomWinSocket::ReceiveAvailable() {
    if (socket_)
        received_ += socket_->readAll();
    QByteArray all;
    all.swap(received_);
    return all;
}

QString TCustomWinSocket::PeerAddress() const {
    if (!Connected() || !socket_)
        return {};
    return PeerAddressText(socket_->peerAddress());
}

QString TCustomWinSocket::PeerHostName() const {
    const QString address = PeerAddress();
    if (address.isEmpty())
        return {};
    const QHostInfo info = QHostInfo::fromName(address);
    if (info.error() != QHostInfo::NoError || info.hostName() == address)
        return {};
    return info.hostName();
}

quint16 TCustomWinSocket::PeerPort() const {
    return Connected() && socket_ ? socket_->peerPort() : 0;
}

qintptr TCustomWinSocket::SocketHandle() const {
    return Connected() && socket_ ? socket_->socketDescriptor() : -1;
}
