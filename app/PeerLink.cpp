#include "app/PeerLink.h"

#include "net/ScktComp.h"

#include <QTimer>

TPeerLink::TPeerLink(std::string tag, QObject *parent)
    : QObject(parent), messageTag_(std::move(tag)) {}

void TPeerLink::UseTransport(TServerSocket *listener, TClientSocket *caller) {
    listener_ = listener;
    caller_ = caller;
}

void TPeerLink::Listen() {
    if (!listener_->Active())
        listener_->SetActive(true);
}

bool TPeerLink::Listening() const {
    return listener_->Active();
}

quint16 TPeerLink::ListeningPort() const {
    return listener_->LocalPort();
}

void TPeerLink::StopCalling() {
    listener_->SetActive(false);
    caller_->SetActive(false);
}

void TPeerLink::Call(const QString &host) {
    caller_->SetHost(host);
    caller_->SetActive(true);
}

void TPeerLink::HangUp() {
    if (lastRole_ == TPeerRole::Accepted)
        listener_->SetActive(false);
    else
        caller_->SetActive(false);
}

void TPeerLink::Shutdown() {
    listener_->SetActive(false);
    caller_->SetActive(false);
}

void TPeerLink::Attach(TCustomWinSocket *socket, TPeerRole role) {
    socket_ = socket;
    lastRole_ = role;
    Reset();
    // A copy without features ignores the line; the game's own lines follow it unchanged.
    Send(TPeerChannel::Control, FeaturesPayload(OwnFeatures()));
}

void TPeerLink::Detach() {
    socket_ = nullptr;
    Reset();
}

// Nothing read from one connection survives into the next.
void TPeerLink::Reset() {
    ++connectionSerial_;
    framer_.Clear();
    queue_.clear();
    features_ = {};
}

bool TPeerLink::IsCurrent(const TCustomWinSocket *socket) const {
    return socket_ && socket == socket_;
}

void TPeerLink::Refuse(TCustomWinSocket *socket) {
    refused_.append(socket);
    QTimer::singleShot(0, socket, [socket] { socket->Close(); });
}

bool TPeerLink::IsRefused(const TCustomWinSocket *socket) {
    refused_.removeAll(QPointer<TCustomWinSocket>());
    for (const auto &refused : refused_)
        if (refused == socket)
            return true;
    return false;
}

void TPeerLink::Send(TPeerChannel channel, std::string_view payload) {
    if (!socket_ || !socket_->Connected())
        return;
    const std::string line = BuildPeerLine(messageTag_, channel, payload);
    socket_->SendString(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
}

void TPeerLink::SendControl(TControlWord word) {
    Send(TPeerChannel::Control, ControlWordText(word));
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

void TPeerLink::Receive(TCustomWinSocket *socket) {
    const QByteArray bytes = socket->ReceiveAvailable();
    if (!IsCurrent(socket))
        return; // a refused caller, or a connection that has ended: read and forgotten
    const std::uint64_t serial = connectionSerial_;
    // Every complete line joins the queue before any runs, so a box opened by one of them cannot
    // let later lines overtake the rest of this read.
    for (auto &text : framer_.Feed(
             std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        TPeerLine line = ParsePeerLine(text, messageTag_);
        if (line.Channel == TPeerChannel::Control) {
            if (const auto features = ParseFeaturesPayload(line.Payload)) {
                features_ = *features;
                continue;
            }
        }
        if (OnArrival && !OnArrival(line))
            continue;
        if (serial != connectionSerial_)
            return; // dealing with the arrival ended the connection
        queue_.push_back({serial, std::move(line)});
    }
    Pump();
    if (serial == connectionSerial_ && socket_ &&
        (queue_.size() > MaxQueued || QueuedBytes() > MaxQueuedBytes))
        socket_->Close();
}

void TPeerLink::Pump() {
    for (auto it = queue_.begin(); it != queue_.end();) {
        if (it->Serial != connectionSerial_) {
            it = queue_.erase(it);
            continue;
        }
        const bool first = it == queue_.begin();
        const bool chat = it->Line.Channel == TPeerChannel::Chat;
        if (!(first || chat) || (MayDispatch && !MayDispatch(it->Line))) {
            ++it;
            continue;
        }
        // Taken out before it runs: a box it opens may let this loop run again.
        TPeerLine line = std::move(it->Line);
        queue_.erase(it);
        if (OnLine)
            OnLine(line);
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
