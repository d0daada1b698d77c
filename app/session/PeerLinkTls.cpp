// The link's upgrade in place to TLS: who asks, who answers, the byte boundary, and the lines each
// side holds back until the link is private or known plain.
#include "app/session/PeerLink.h"

#include <QTimer>

bool TPeerLink::CanSecure() const {
    return !transport_->OwnFingerprint().isEmpty();
}

QString TPeerLink::PeerFingerprint() const {
    return Private() && connection_ ? connection_->PeerFingerprint : QString();
}

bool TPeerLink::StrangerUnsettled() const {
    return stranger_ && strangerTls_ != TTls::Plain && strangerTls_ != TTls::Private;
}

void TPeerLink::Announce(TPeerConnection *connection) {
    TPeerFeatures own = OwnFeatures();
    own.Tls = CanSecure();
    // A copy without features ignores the line; the game's own lines follow it unchanged.
    WriteLine(connection, TPeerChannel::Control, FeaturesPayload(own));
}

// Holding back ends in time: a peer silent at first is an older copy (they never speak first),
// and an upgrade that stalls ends the connection rather than leave it plain.
void TPeerLink::StartSettling() {
    if (!CanSecure())
        return;
    if (stranger_ && strangerTls_ == TTls::Unknown) {
        QTimer::singleShot(SettleMs, this, [this, stranger = strangerSerial_] {
            if (HoldsStranger(stranger) && strangerTls_ == TTls::Unknown) {
                strangerTls_ = TTls::Plain;
                owner_.StrangerSettled({});
            }
        });
        return;
    }
    const auto serial = connectionSerial_;
    QTimer::singleShot(SettleMs, this, [this, serial] {
        if (serial == connectionSerial_ && tls_ == TTls::Unknown)
            Settle();
    });
    QTimer::singleShot(AnswerMs, this, [this, serial] {
        // A copy with Tls asks, and answers, at once.
        if (serial == connectionSerial_ && connection_ &&
            (tls_ == TTls::Waiting || tls_ == TTls::Asked))
            SecureFailed(connection_, QStringLiteral("the peer did not ask or answer in time"));
    });
    QTimer::singleShot(UpgradeMs, this, [this, serial] {
        if (serial == connectionSerial_ && connection_ && tls_ != TTls::Plain &&
            tls_ != TTls::Private)
            SecureFailed(connection_,
                         QStringLiteral("the peer did not finish the encrypted link in time"));
    });
}

// The link is plain for good: what was held goes out, in order.
void TPeerLink::Settle() {
    tls_ = TTls::Plain;
    if (connection_ && !held_.isEmpty())
        connection_->Write(std::exchange(held_, {}));
}

bool TPeerLink::TakeLinkLine(const TPeerLine &line, bool last) {
    if (line.Announcement) {
        features_ = *ParseFeaturesPayload(line.Payload);
        if (tls_ != TTls::Unknown)
            return true; // a repeated announcement starts no second upgrade
        if (!features_.Tls)
            Settle();
        else if (lastRole_ == TPeerRole::Called) {
            // The caller asks, so that two asks never cross.
            WriteLine(connection_, TPeerChannel::Control, StartTlsWord);
            tls_ = TTls::Asked;
        } else
            tls_ = TTls::Waiting;
        return true;
    }
    const bool control = line.Channel == TPeerChannel::Control;
    const bool ask = control && line.Payload == StartTlsWord;
    if (!ask && !(control && line.Payload == TlsReadyWord)) {
        if (tls_ == TTls::Unknown)
            Settle(); // an older copy's first line
        return false;
    }
    // An ask or answer out of turn is refused without effect.
    if (tls_ != (ask ? TTls::Waiting : TTls::Asked))
        return true;
    // Bytes after the boundary in the clear would be read as if the peer had encrypted them.
    if (!last) {
        SecureFailed(connection_, QStringLiteral("the peer sent more in the clear after the "
                                                 "upgrade line"));
        return true;
    }
    if (ask)
        WriteLine(connection_, TPeerChannel::Control, TlsReadyWord);
    tls_ = TTls::Handshake;
    connection_->StartTls(ask);
    return true;
}

// A stranger's first lines, before consent: only an announcement of Tls and the ask are taken
// here, so that its key is known before the player is asked. Anything else keeps it plain with
// its bytes kept for the game, as any held caller's.
void TPeerLink::StrangerRead(const QByteArray &bytes) {
    strangerBytes_ += bytes;
    while (stranger_) {
        const qsizetype feed = strangerBytes_.indexOf('\n');
        if (feed < 0) {
            if (static_cast<std::size_t>(strangerBytes_.size()) > TLineFramer::MaxLine)
                Dismiss();
            return;
        }
        const TPeerLine line = ParsePeerLine(
            std::string_view(strangerBytes_.constData(), static_cast<std::size_t>(feed)),
            messageTag_);
        const bool alone = feed + 1 == strangerBytes_.size();
        if (strangerTls_ == TTls::Waiting) {
            if (line.Channel != TPeerChannel::Control || line.Payload != StartTlsWord || !alone)
                return Dismiss();
            strangerBytes_.clear();
            WriteLine(stranger_, TPeerChannel::Control, TlsReadyWord);
            strangerTls_ = TTls::Handshake;
            stranger_->StartTls(true);
            return;
        }
        const auto features = line.Announcement ? ParseFeaturesPayload(line.Payload) : std::nullopt;
        if (!features || !features->Tls) {
            strangerTls_ = TTls::Plain;
            owner_.StrangerSettled({});
            return;
        }
        strangerFeatures_ = *features;
        strangerBytes_.remove(0, feed + 1);
        strangerTls_ = TTls::Waiting;
        Announce(stranger_);
    }
}

void TPeerLink::Secured(TPeerConnection *connection) {
    if (connection->PeerFingerprint.isEmpty())
        return SecureFailed(connection, QStringLiteral("the peer showed no key"));
    if (connection == stranger_ && strangerTls_ == TTls::Handshake) {
        strangerTls_ = TTls::Private;
        owner_.StrangerSettled(connection->PeerFingerprint);
        return;
    }
    if (!IsCurrent(connection) || tls_ != TTls::Handshake)
        return;
    tls_ = TTls::Private;
    const auto serial = connectionSerial_;
    owner_.PeerSecured(connection->PeerFingerprint);
    if (serial == connectionSerial_ && connection_ && !held_.isEmpty())
        connection_->Write(std::exchange(held_, {}));
}

void TPeerLink::SecureFailed(TPeerConnection *connection, const QString &reason) {
    if (connection == stranger_) {
        owner_.SecureFailed(reason);
        return Dismiss();
    }
    if (!IsCurrent(connection))
        return;
    owner_.SecureFailed(reason);
    if (IsCurrent(connection))
        connection->Close();
}
