// Keys on the link: the safety code, known opponents, a key that changed, and the consent box
// that waits for a stranger's key.
#include "app/session/Session.h"

#include "net/Identity.h"

#include <QDateTime>
#include <QTimer>

namespace {
QString Short(const QString &fingerprint) {
    return fingerprint.left(16) + QStringLiteral("...");
}
} // namespace

QString TSession::SafetyCode() const {
    const QString peer = link_->PeerFingerprint();
    return peer.isEmpty() ? QString() : ::SafetyCode(link_->Transport().OwnFingerprint(), peer);
}

// Said before anything else of that peer happens: before its consent box, before its lines.
bool TSession::SayIfKeyChanged(const QString &name, const QString &fingerprint) {
    const QString before = known_.OtherKeyOf(name, fingerprint);
    if (before.isEmpty())
        return false;
    view_.AddMessage(QStringLiteral("Warning: %1 showed another key before (%2), now %3. It may be "
                                    "someone else: compare the safety code.")
                         .arg(name, Short(before), Short(fingerprint)));
    return true;
}

void TSession::PeerSecured(const QString &fingerprint) {
    const QString name = IsServer() ? opponent_ : connectAddress_;
    // An admitted stranger's key was looked at before its box.
    if (std::exchange(checkedKey_, {}) != fingerprint)
        SayIfKeyChanged(name, fingerprint);
    if (!known_.Seen(fingerprint, name, QDateTime::currentDateTimeUtc()))
        view_.ShowStatus(1, QStringLiteral("Known opponents not saved"));
    const QString code = SafetyCode();
    view_.AddMessage(QStringLiteral("The link is private. Safety code: %1").arg(code));
    view_.ShowPrivacy(code);
}

void TSession::SecureFailed(const QString &reason) {
    view_.AddMessage(
        QStringLiteral("The encrypted link failed (%1); the connection was closed.").arg(reason));
}

// A friend's key is let in without a box; any other stranger is asked about once settled.
void TSession::StrangerSettled(const QString &fingerprint) {
    const auto stranger = link_->StrangerSerial();
    if (!fingerprint.isEmpty()) {
        SayIfKeyChanged(strangerAddress_, fingerprint);
        checkedKey_ = fingerprint;
        if (known_.Knows(fingerprint)) {
            strangerConsidered_ = stranger;
            return link_->Admit();
        }
    }
    ConsiderStranger(stranger);
}

// The box waits for the caller's name and, from a copy with a key, for its key.
void TSession::ConsiderStranger(std::uint64_t stranger) {
    if (strangerLookedUp_ != stranger || strangerConsidered_ == stranger ||
        !link_->HoldsStranger(stranger) || link_->StrangerUnsettled())
        return;
    strangerConsidered_ = stranger;
    QTimer::singleShot(0, this, [this, stranger, address = strangerAddress_, name = strangerName_] {
        AskAboutStranger(stranger, address, name);
    });
}
