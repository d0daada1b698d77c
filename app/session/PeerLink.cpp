#include "app/session/PeerLink.h"

#include "app/session/PlayerLines.h"

#include <QElapsedTimer>
#include <QTimer>

TPeerLink::TPeerLink(std::string tag, std::unique_ptr<TPeerTransport> transport,
                     TPeerLinkOwner &owner, QObject *parent)
    : QObject(parent), messageTag_(std::move(tag)), transport_(std::move(transport)),
      owner_(owner) {
    transport_->Bind(this);
}

// The transport's connections must not report to a link that is going.
TPeerLink::~TPeerLink() {
    transport_->Bind(nullptr);
}

void TPeerLink::HangUp() {
    transport_->HangUp(lastRole_);
    // Dropping the listener's connection reports nothing; the end is told here instead.
    if (HasPeer())
        Ended(connection_);
}

void TPeerLink::Opened(TPeerConnection *connection, TPeerRole role) {
    connection->PeerFingerprint.clear(); // a socket's connection object serves call after call
    if (role == TPeerRole::Accepted && !owner_.Welcome(connection->PeerAddress())) {
        if (stranger_ || HasPeer())
            return TurnAway(connection);
        stranger_ = connection;
        ++strangerSerial_;
        strangerBytes_.clear();
        strangerTls_ = CanSecure() ? TTls::Unknown : TTls::Plain;
        StartSettling();
        owner_.StrangerCalling(connection->PeerAddress());
        return;
    }
    Dismiss(); // a local caller is let in at once, whoever waits
    Attach(connection, role);
}

void TPeerLink::TurnAway(TPeerConnection *connection) {
    connection->TurnedAway = true;
    connection->Close();
}

void TPeerLink::Admit() {
    // A stranger still proving its key is not let in half-way.
    if (StrangerUnsettled())
        return Dismiss();
    TPeerConnection *admitted = std::exchange(stranger_, nullptr);
    if (!admitted || !admitted->Open())
        return;
    Attach(admitted, TPeerRole::Accepted, strangerTls_ == TTls::Private);
    if (IsCurrent(admitted) && tls_ == TTls::Private) {
        owner_.PeerSecured(admitted->PeerFingerprint);
        if (IsCurrent(admitted))
            owner_.PeerAnnounced(); // its announcement was read while it was held
    }
    if (IsCurrent(admitted))
        Feed(std::exchange(strangerBytes_, {}));
}

void TPeerLink::Dismiss() {
    if (TPeerConnection *dismissed = std::exchange(stranger_, nullptr))
        TurnAway(dismissed);
    strangerBytes_.clear();
}

void TPeerLink::Attach(TPeerConnection *connection, TPeerRole role, bool proved) {
    connection_ = connection;
    lastRole_ = role;
    cutOff_ = false;
    Reset();
    if (proved) {
        // A stranger that proved its key while held: the announcements and upgrade are behind.
        features_ = strangerFeatures_;
        tls_ = TTls::Private;
    } else {
        Announce(connection);
        tls_ = CanSecure() ? TTls::Unknown : TTls::Plain;
        StartSettling();
    }
    owner_.PeerConnected(role, connection->PeerAddress());
}

void TPeerLink::CutOff() {
    cutOff_ = connection_->Open(); // else the peer ended it first
    connection_->Close();
}

void TPeerLink::CutOffSoon() {
    QTimer::singleShot(0, this, [this, serial = connectionSerial_] {
        if (serial == connectionSerial_ && connection_)
            CutOff();
    });
}

void TPeerLink::Ended(TPeerConnection *connection) {
    if (connection && connection == stranger_) {
        stranger_ = nullptr; // the box asking about it sees it gone
        return;
    }
    if ((connection && connection->TurnedAway) || (HasPeer() && !IsCurrent(connection)))
        return;
    connection_ = nullptr;
    Reset();
    owner_.PeerEnded();
}

// Nothing read from one connection survives into the next.
void TPeerLink::Reset() {
    ++connectionSerial_;
    framer_.Clear();
    unread_.clear();
    unreadAt_ = 0;
    queue_.clear();
    features_ = {};
    tls_ = TTls::Plain;
    held_.clear();
}

bool TPeerLink::IsCurrent(const TPeerConnection *connection) const {
    return connection_ && connection == connection_;
}

void TPeerLink::Send(TPeerChannel channel, std::string_view payload) {
    if (!connection_ || !connection_->Open())
        return;
    if (tls_ == TTls::Plain || tls_ == TTls::Private)
        return WriteLine(connection_, channel, payload);
    // Nothing of the game crosses in the clear while the link may yet become private.
    const std::string line = BuildPeerLine(messageTag_, channel, payload);
    held_.append(line.data(), static_cast<qsizetype>(line.size()));
    if (static_cast<std::size_t>(held_.size()) > MaxQueuedBytes)
        connection_->Close();
}

void TPeerLink::WriteLine(TPeerConnection *connection, TPeerChannel channel,
                          std::string_view payload) {
    const std::string line = BuildPeerLine(messageTag_, channel, payload);
    connection->Write(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
}

void TPeerLink::SendControl(TControlWord word) {
    Send(TPeerChannel::Control, ControlWordText(word));
}

void TPeerLink::SendNew(std::uint32_t game, int minutes) {
    if (features_.Numbered) {
        Send(TPeerChannel::Control, NumberedNewPayload(game, minutes));
        return;
    }
    SendTime(minutes);
    SendControl(TControlWord::New);
}

void TPeerLink::SendResign(std::uint32_t game) {
    if (features_.Numbered)
        Send(TPeerChannel::Control, NumberedResignPayload(game));
    else
        SendControl(TControlWord::Resign);
}

void TPeerLink::SendTime(int minutes) {
    Send(TPeerChannel::Control, std::to_string(minutes));
}

void TPeerLink::SendMove(std::string_view moveText) {
    Send(TPeerChannel::Move, moveText);
}

void TPeerLink::SendChat(const QString &text) {
    // A pasted line feed would end the line early on the wire.
    QByteArray payload = text.toUtf8();
    payload.replace('\n', ' ');
    Send(TPeerChannel::Chat,
         std::string_view(payload.constData(), static_cast<std::size_t>(payload.size())));
}

void TPeerLink::SendPromotion(char piece) {
    const std::string payload = PromotionPayload(piece);
    if (features_.Promotion && !payload.empty())
        Send(TPeerChannel::Control, payload);
}

void TPeerLink::SendName(const QString &name) {
    if (features_.Name)
        Send(TPeerChannel::Control, NamePayload(name));
}

void TPeerLink::SendDraw(TControlWord word, std::uint32_t game, std::uint32_t moves) {
    if (features_.Draw && features_.Numbered)
        Send(TPeerChannel::Control, DrawPayload(word, game, moves));
}

void TPeerLink::Readable(TPeerConnection *connection) {
    const QByteArray bytes = connection->Take();
    if (connection == stranger_) {
        if (strangerTls_ == TTls::Unknown || strangerTls_ == TTls::Waiting)
            return StrangerRead(bytes);
        // Kept for the game if the stranger is let in; a stranger that floods is let go.
        strangerBytes_ += bytes;
        if (static_cast<std::size_t>(strangerBytes_.size()) > MaxQueuedBytes)
            Dismiss();
        return;
    }
    if (IsCurrent(connection))
        Feed(bytes); // else a refused caller, or a connection that has ended: read and forgotten
}

// A read is framed a slice at a time and for a few milliseconds a turn, so that a flood neither
// stands in memory as lines nor holds the window up; what is left runs on the next turn, before
// anything read later.
void TPeerLink::Feed(const QByteArray &bytes) {
    unread_ += bytes;
    if (static_cast<std::size_t>(unread_.size() - unreadAt_) > MaxUnreadBytes) {
        CutOff(); // it sends faster than any game needs
        return;
    }
    if (!feedPosted_)
        FeedUnread();
}

void TPeerLink::FeedUnread() {
    const std::uint64_t serial = connectionSerial_;
    QElapsedTimer turn;
    turn.start();
    while (unreadAt_ < unread_.size()) {
        if (turn.elapsed() > MaxMsPerTurn) {
            feedPosted_ = true;
            QTimer::singleShot(0, this, [this] {
                feedPosted_ = false;
                FeedUnread(); // the connection's own, whichever it is now
            });
            return;
        }
        const qsizetype size = std::min<qsizetype>(FeedSlice, unread_.size() - unreadAt_);
        const std::string_view slice(unread_.constData() + unreadAt_,
                                     static_cast<std::size_t>(size));
        unreadAt_ += size;
        // Every complete line joins the queue before any runs, so a box opened by one of them
        // cannot let later lines overtake the rest of this read.
        auto texts = framer_.Feed(slice);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            TPeerLine line = ParsePeerLine(texts[i], messageTag_);
            const bool last =
                i + 1 == texts.size() && framer_.Pending() == 0 && unreadAt_ == unread_.size();
            if (TakeLinkLine(line, last)) {
                if (serial == connectionSerial_ && line.Announcement)
                    owner_.PeerAnnounced(); // what it sends now is held until the link settles
                if (serial != connectionSerial_)
                    return; // the upgrade failed and ended the connection
                continue;
            }
            // Only a peer that announced the choice names promotion pieces.
            if (!features_.Promotion)
                line.Promotion.reset();
            if (!features_.Numbered && line.Game) { // a word it never announced
                line.Word = TControlWord::None;
                line.Game.reset();
            }
            if (!features_.Name)
                line.Name.reset();
            if (!features_.Draw && IsDrawWord(line.Word))
                line.Word = TControlWord::None;
            if (!owner_.PeerArrived(line))
                continue;
            if (serial != connectionSerial_)
                return; // dealing with the arrival ended the connection
            queue_.push_back({serial, std::move(line)});
        }
        if (!connection_ || !connection_->Open() || Overfull()) {
            if (serial == connectionSerial_ && connection_)
                CutOff();
            return;
        }
    }
    unread_.clear();
    unreadAt_ = 0;
    Pump();
    if (serial == connectionSerial_ && connection_ && Overfull())
        CutOff();
}

// Lines that wait for their turn are bounded by bytes; lines that wait for the board, by count.
bool TPeerLink::Overfull() {
    return (queue_.size() > MaxQueued && !owner_.MayRun(queue_.front().Line)) ||
           QueuedBytes() > MaxQueuedBytes;
}

void TPeerLink::Pump() {
    QElapsedTimer turn;
    turn.start();
    int ran = 0;
    for (auto it = queue_.begin(); it != queue_.end();) {
        if (ran >= MaxLinesPerTurn || turn.elapsed() > MaxMsPerTurn) {
            PumpSoon();
            return;
        }
        if (it->Serial != connectionSerial_) {
            it = queue_.erase(it);
            continue;
        }
        const bool first = it == queue_.begin();
        const bool chat = it->Line.Channel == TPeerChannel::Chat;
        if (!(first || chat) || !owner_.MayRun(it->Line)) {
            ++it;
            continue;
        }
        // Taken out before it runs: a box it opens may let this loop run again.
        TPeerLine line = std::move(it->Line);
        queue_.erase(it);
        ++ran;
        owner_.PeerLine(line);
        it = queue_.begin();
    }
}

void TPeerLink::PumpSoon() {
    if (pumpPosted_ || queue_.empty())
        return;
    pumpPosted_ = true;
    QTimer::singleShot(0, this, [this] {
        pumpPosted_ = false;
        Pump();
    });
}

std::size_t TPeerLink::QueuedBytes() const {
    std::size_t bytes = 0;
    for (const TQueued &queued : queue_)
        bytes += queued.Line.Payload.size();
    return bytes;
}

bool TPeerLink::HasQueued(TControlWord word) const {
    for (const TQueued &queued : queue_)
        if (queued.Line.Channel == TPeerChannel::Control && queued.Line.Word == word)
            return true;
    return false;
}
