#include "PeerLink.h"

#include "net/ScktComp.h"

#include <QTimer>

TPeerLink::TPeerLink(std::string tag, QObject *parent)
    : QObject(parent), MessageTag(std::move(tag)) {}

void TPeerLink::UseTransport(TServerSocket *listener, TClientSocket *caller) {
    Listener = listener;
    Caller = caller;
}

void TPeerLink::Listen() {
    if (!Listener->Active())
        Listener->SetActive(true);
}

bool TPeerLink::Listening() const {
    return Listener->Active();
}

quint16 TPeerLink::ListeningPort() const {
    return Listener->LocalPort();
}

void TPeerLink::StopCalling() {
    Listener->SetActive(false);
    Caller->SetActive(false);
}

void TPeerLink::Call(const QString &host) {
    Caller->SetHost(host);
    Caller->SetActive(true);
}

void TPeerLink::HangUp() {
    if (LastRole == TPeerRole::Accepted)
        Listener->SetActive(false);
    else
        Caller->SetActive(false);
}

void TPeerLink::Shutdown() {
    Listener->SetActive(false);
    Caller->SetActive(false);
}

void TPeerLink::Attach(TCustomWinSocket *socket, TPeerRole role) {
    Socket = socket;
    LastRole = role;
    Reset();
    // A copy without features ignores the line; the game's own lines follow it unchanged.
    Send(TPeerChannel::Control, FeaturesPayload(OwnFeatures()));
}

void TPeerLink::Detach() {
    Socket = nullptr;
    Reset();
}

// Nothing read from one connection survives into the next.
void TPeerLink::Reset() {
    ++ConnectionSerial;
    Framer.Clear();
    Queue.clear();
    Features = {};
}

bool TPeerLink::IsCurrent(const TCustomWinSocket *socket) const {
    return Socket && socket == Socket;
}

void TPeerLink::Refuse(TCustomWinSocket *socket) {
    Refused.append(socket);
    QTimer::singleShot(0, socket, [socket] { socket->Close(); });
}

bool TPeerLink::IsRefused(const TCustomWinSocket *socket) {
    Refused.removeAll(QPointer<TCustomWinSocket>());
    for (const auto &refused : Refused)
        if (refused == socket)
            return true;
    return false;
}

void TPeerLink::Send(TPeerChannel channel, std::string_view payload) {
    if (!Socket || !Socket->Connected())
        return;
    const std::string line = BuildPeerLine(MessageTag, channel, payload);
    Socket->SendString(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
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
    Send(TPeerChannel::Chat, std::string_view(payload.constData(), static_cast<std::size_t>(payload.size())));
}

void TPeerLink::SendPromotion(char piece) {
    const std::string payload = PromotionPayload(piece);
    if (Features.Promotion && !payload.empty())
        Send(TPeerChannel::Control, payload);
}

void TPeerLink::Receive(TCustomWinSocket *socket) {
    const QByteArray bytes = socket->ReceiveAvailable();
    if (!IsCurrent(socket))
        return; // a refused caller, or a connection that has ended: read and forgotten
    const std::uint64_t serial = ConnectionSerial;
    // Every complete line joins the queue before any runs, so a box opened by one of them cannot
    // let later lines overtake the rest of this read.
    for (auto &text : Framer.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        TPeerLine line = ParsePeerLine(text, MessageTag);
        if (line.Channel == TPeerChannel::Control) {
            if (const auto features = ParseFeaturesPayload(line.Payload)) {
                Features = *features;
                continue;
            }
        }
        if (OnArrival && !OnArrival(line))
            continue;
        if (serial != ConnectionSerial)
            return; // dealing with the arrival ended the connection
        Queue.push_back({serial, std::move(line)});
    }
    Pump();
    if (serial == ConnectionSerial && Socket && (Queue.size() > MaxQueued || QueuedBytes() > MaxQueuedBytes))
        Socket->Close();
}

void TPeerLink::Pump() {
    for (auto it = Queue.begin(); it != Queue.end();) {
        if (it->Serial != ConnectionSerial) {
            it = Queue.erase(it);
            continue;
        }
        const bool first = it == Queue.begin();
        const bool chat = it->Line.Channel == TPeerChannel::Chat;
        if (!(first || chat) || (MayDispatch && !MayDispatch(it->Line))) {
            ++it;
            continue;
        }
        // Taken out before it runs: a box it opens may let this loop run again.
        TPeerLine line = std::move(it->Line);
        Queue.erase(it);
        if (OnLine)
            OnLine(line);
        it = Queue.begin();
    }
}

void TPeerLink::PumpSoon() {
    if (PumpPosted || Queue.empty())
        return;
    PumpPosted = true;
    QTimer::singleShot(0, this, [this] {
        PumpPosted = false;
        Pump();
    });
}

std::size_t TPeerLink::QueuedBytes() const {
    std::size_t bytes = 0;
    for (const TQueued &queued : Queue)
        bytes += queued.Line.Payload.size();
    return bytes;
}

bool TPeerLink::HasQueued(TControlWord word) const {
    for (const TQueued &queued : Queue)
        if (queued.Line.Channel == TPeerChannel::Control && queued.Line.Word == word)
            return true;
    return false;
}
