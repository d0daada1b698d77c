#include "tests/session/InProcess.h"

#include <QCoreApplication>

namespace inproc {

namespace {
// Events posted while posted events are sent wait for the next pass (as a link splitting a long
// read into turns does), so passes go on until one delivers nothing.
void SendAllPosted() {
    struct TCounter : QObject {
        int Seen = 0;
        bool eventFilter(QObject *, QEvent *) override { return ++Seen, false; }
    } counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    for (int seen = -1; seen != counter.Seen;) {
        seen = counter.Seen;
        QCoreApplication::sendPostedEvents();
    }
    QCoreApplication::instance()->removeEventFilter(&counter);
}
} // namespace

void TWire::Deliver() {
    SendAllPosted();
    while (!events_.empty()) {
        auto event = std::move(events_.front());
        events_.pop_front();
        event();
        SendAllPosted();
    }
}

void TWire::Step(int events) {
    for (; events > 0 && !events_.empty(); --events) {
        auto event = std::move(events_.front());
        events_.pop_front();
        event();
    }
}

std::pair<TMemoryConnection *, TMemoryConnection *>
TWire::Pair(TPeerLink *a, const QString &aSees, TPeerLink *b, const QString &bSees) {
    auto *first = ends_.emplace_back(std::make_unique<TMemoryConnection>(*this, a, aSees)).get();
    auto *second = ends_.emplace_back(std::make_unique<TMemoryConnection>(*this, b, bSees)).get();
    first->Peer = second;
    second->Peer = first;
    return {first, second};
}

void TMemoryConnection::Write(const QByteArray &bytes) {
    if (!open_ || severed_ || !Peer || !Peer->open_)
        return;
    if (Peer->securing_ && !securing_) {
        wire_.Post([peer = Peer] {
            if (peer && peer->link_)
                peer->link_->SecureFailed(peer, QStringLiteral("not a TLS handshake"));
        });
        return;
    }
    Peer->inbox_ += bytes;
    wire_.Post([peer = Peer] {
        if (peer && peer->link_)
            peer->link_->Readable(peer);
    });
}

void TMemoryConnection::StartTls(bool) {
    securing_ = true;
    wire_.Post([self = QPointer<TMemoryConnection>(this)] {
        if (self)
            self->Handshake();
    });
}

// The second end to start completes both.
void TMemoryConnection::Handshake() {
    if (!open_ || !Peer || !securing_ || !Peer->securing_ || !Peer->link_)
        return;
    securing_ = Peer->securing_ = false;
    PeerFingerprint = Peer->Key;
    Peer->PeerFingerprint = Key;
    link_->Secured(this);
    wire_.Post([peer = Peer] {
        if (peer && peer->link_)
            peer->link_->Secured(peer);
    });
}

void TMemoryConnection::End(bool ownNotice) {
    if (!open_)
        return;
    open_ = false;
    if (Peer && Peer->open_ && !severed_) {
        Peer->open_ = false;
        wire_.Post([peer = Peer] {
            if (peer && peer->link_)
                peer->link_->Ended(peer);
        });
    }
    if (ownNotice && link_)
        link_->Ended(this);
}

void TMemoryConnection::Sever(bool silently) {
    for (TMemoryConnection *end : {this, Peer.data()})
        if (end)
            end->inbox_.clear(), end->severed_ = silently;
    if (!silently)
        Close();
}

void TMemoryTransport::Call(const QString &) {
    if (!Remote || !Remote->listening_ || !Remote->link_->SeatFree()) {
        wire_.Post([this] { link_->Failed(); });
        return;
    }
    auto [mine, theirs] = wire_.Pair(link_, Remote->address_, Remote->link_, address_);
    mine->Key = Fingerprint;
    theirs->Key = Remote->Fingerprint;
    wire_.Post(
        [remote = Remote, theirs = theirs] { remote->link_->Opened(theirs, TPeerRole::Accepted); });
    wire_.Post([this, mine = mine] { link_->Opened(mine, TPeerRole::Called); });
}

TMemoryConnection *TMemoryTransport::AcceptRaw(const QString &address) {
    auto [mine, theirs] = wire_.Pair(link_, address, nullptr, address_);
    link_->Opened(mine, TPeerRole::Accepted);
    return theirs;
}

TMemoryConnection *TMemoryTransport::Current() const {
    return link_ ? static_cast<TMemoryConnection *>(link_->Current()) : nullptr;
}

void TMemoryTransport::HangUp(TPeerRole role) {
    if (auto *current = Current())
        role == TPeerRole::Accepted ? current->Drop() : current->Close();
    if (role == TPeerRole::Accepted)
        listening_ = false;
}

void TMemoryTransport::Shutdown() {
    listening_ = false;
    if (auto *current = Current())
        current->Drop();
}

Square At(const char *square) {
    return TChessRules::SquareAt(square[0] - 'A' + 1, square[1] - '0');
}

TPlayer::TPlayer(TWire &wire, const QString &address) {
    auto transport = std::make_unique<TMemoryTransport>(wire, address);
    Transport = transport.get();
    TSessionSeams seams;
    seams.LookUpName = [](const QString &, std::function<void(const QString &)> answer) {
        answer({});
    };
    seams.Clock = [this] { return Now; };
    seams.Offers = [this] { return Offers; };
    seams.IsLocal = [](const QString &address) {
        return address.startsWith(QLatin1String("127."));
    };
    seams.KeepGame = [this](const std::string &pgn, QString &) {
        return Kept.push_back(pgn), true;
    };
    Session =
        std::make_unique<TSession>(Board, View, Boxes, std::move(transport), std::move(seams));
    // Cancelling a held piece ends its drag at once, as the board does.
    View.OnCancelDrag = [this] {
        if (std::exchange(Holding, false))
            Session->DragEnded();
    };
    Session->Start();
}

bool TPlayer::Move(const char *from, const char *to) {
    return View.TakesMoves && Session->PlayLocalMove(At(from), At(to));
}

void TPlayer::Take() {
    Holding = true;
    Session->PieceTaken();
}

void TPlayer::Drop(const char *from, const char *to) {
    if (!std::exchange(Holding, false))
        return;
    if (from && to)
        Board.MakeMove(At(from), At(to));
    Session->DragEnded();
}

TTable::TTable(const QString &callerAddress)
    : Listener(Wire, QStringLiteral("127.0.0.1")), Caller(Wire, callerAddress) {
    Caller.Transport->Remote = Listener.Transport;
}

bool TTable::Connect() {
    Caller.Boxes.Answer(true, QStringLiteral("127.0.0.1"));
    Caller->ConnectOrDisconnect();
    Wire.Deliver();
    return Listener->Connected() && Caller->Connected();
}

bool TTable::StartGame() {
    Listener->NewGame();
    Wire.Deliver();
    return Listener->GameRunning() && Caller->GameRunning();
}

bool TTable::Play(const std::vector<std::pair<const char *, const char *>> &moves) {
    for (const auto &[from, to] : moves) {
        if (!Mover().Move(from, to))
            return false;
        Wire.Deliver();
    }
    return Listener.Board.Position() == Caller.Board.Position();
}

void TTable::Pass(qint64 ms) {
    for (Wire.Deliver(); ms > 0; ms -= 1000, Wire.Deliver()) {
        Listener.Now += 1000, Caller.Now += 1000;
        Listener->ResumeTick(), Caller->ResumeTick();
    }
}

} // namespace inproc
