// Games that survive a dropped connection, between copies that both announced Resume. Each game
// gets an identity from a random share of each side. When the connection drops, the game waits
// for the same peer: the side that called calls again, the other listens, and any caller must name
// the game before anything else it sent is done. The two then compare half-moves and clocks.
#include "app/session/Session.h"

#include "board/core/ChessRules.h"

#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

namespace {

QString Countdown(qint64 ms) {
    const qint64 seconds = std::max<qint64>(0, (ms + 999) / 1000);
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void TSession::RunPulse() {
    if (!pulse_) {
        pulse_ = new QTimer(this);
        pulse_->setInterval(1000);
        connect(pulse_, &QTimer::timeout, this, [this] { ResumeTick(); });
    }
    if (!pulse_->isActive())
        pulse_->start();
}

void TSession::PeerAnnounced() {
    if (ResumeAnnounced())
        NamesAnnounced();
}

// Whether the peer may hear more of this copy now: a caller that has not yet named the suspended
// game hears nothing, and one that is not the copy it was played with is turned away.
bool TSession::ResumeAnnounced() {
    const bool resumes = link_->PeerFeatures().Resume;
    if (resumes)
        RunPulse();
    if (!Suspended() || !resume_.Gate)
        return true;
    if (!resumes) {
        link_->CutOffSoon();
        return false;
    }
    // The side that called back names the game first.
    if (link_->Role() == TPeerRole::Called && !resume_.Asked) {
        resume_.Asked = true;
        link_->SendExtension(ResumePayload(OwnClaim()));
    }
    return link_->Role() == TPeerRole::Called;
}

// A new share for every game, its own or the peer's; it goes out only to a peer that resumes.
void TSession::ShareGameIdentity() {
    resume_.Identity.clear();
    resume_.OwnShare = QRandomGenerator::system()->generate64();
    resume_.ShareSent = link_->PeerFeatures().Resume;
    if (resume_.ShareSent)
        link_->SendExtension(GameSharePayload(resume_.OwnShare));
}

// The peer's share follows its New in order, so the latest one belongs to the game on the board.
void TSession::TakeGameShare(const TPeerLine &line) {
    const auto share = link_->PeerFeatures().Resume ? ParseGameShare(line.Payload) : std::nullopt;
    if (!share || !game_.Running() || !resume_.ShareSent)
        return;
    resume_.Identity = GameIdentity(resume_.OwnShare, *share);
    resume_.Fingerprint = link_->PeerFingerprint();
}

// Beats, leaving and the resume exchange act where they arrive; false: the line is done with.
bool TSession::ResumeArrived(const TPeerLine &line) {
    if (line.Channel != TPeerChannel::Control || !link_->PeerFeatures().Resume)
        return true;
    const std::string_view payload = line.Payload;
    if (payload == BeatWord)
        return false;
    if (payload == LeaveWord) {
        resume_.OnPurpose = true;
        return false;
    }
    if (payload == ResumeFailWord) {
        if (Suspended() && resume_.Asked)
            GiveUpAndStay(QStringLiteral(
                "The game could not be resumed: your opponent's program no longer has it."));
        return false;
    }
    const auto claim = ParseResumePayload(payload);
    if (claim)
        TakeClaim(*claim);
    return !claim;
}

// The caller's line asks; the answer comes only from a side holding that very game with that
// very peer. A wrong game is turned away unanswered; a side without a suspended game says so.
void TSession::TakeClaim(const TResumeClaim &claim) {
    if (!Suspended())
        return std::exchange(resume_.Refused, true) ? void() : link_->SendExtension(ResumeFailWord);
    const bool asking = link_->Role() == TPeerRole::Accepted && !resume_.Asked;
    const bool answer = link_->Role() == TPeerRole::Called && resume_.Asked;
    if (!resume_.Gate || !(asking || answer))
        return; // unasked, or repeated
    resume_.Asked = false;
    if (claim.Identity != resume_.Identity || link_->PeerFingerprint() != resume_.Fingerprint)
        return link_->CutOffSoon();
    if (asking)
        link_->SendExtension(ResumePayload(OwnClaim()));
    CompareClaims(claim);
}

// Half-moves played from the start position, as both sides count them.
TResumeClaim TSession::OwnClaim() const {
    const TClock own = game_.PlayWhite ? white_ : black_;
    const int plies = (board_.CurrentMove() - 1) * 2 + (board_.WhiteToMove() ? 0 : 1);
    return {resume_.Identity, std::clamp(plies, 0, MaxPlies),
            std::clamp(own.Minutes * 60 + own.Seconds, 0, MaxClockSeconds),
            BoardDigest(board_.Position(), board_.WhiteToMove())};
}

// Both sides judge the same two lines alike. One half-move apart is a move lost in flight: the
// side to move on both boards is the one that made it, and it plays it again.
void TSession::CompareClaims(const TResumeClaim &peer) {
    const TResumeClaim own = OwnClaim();
    const int apart = peer.Plies - own.Plies;
    const bool peersTurn = board_.WhiteToMove() != game_.PlayWhite;
    if (apart == 0 ? peer.Board != own.Board : !(std::abs(apart) == 1 && peersTurn))
        return GiveUpAndStay(QStringLiteral("The game could not be resumed: the boards differ."));
    // Each side's own clock is its own player's.
    (game_.PlayWhite ? black_ : white_) = TClock{peer.Seconds / 60, peer.Seconds % 60};
    game_.Phase = TGamePhase::Running;
    resume_.Gate = false;
    resume_.AwaitBoard = apart == 1 ? peer.Board : std::string();
    if (apart == -1) {
        link_->SendPromotion(resume_.LastPromotion);
        link_->SendMove(TChessRules::SquareName(moveFrom_) + "-" +
                        TChessRules::SquareName(moveTo_));
    }
    NamesAnnounced(); // held back from a caller until it named the game
    view_.AddMessage(QStringLiteral("Connection restored: the game goes on."));
    view_.ShowStatus(2, QString());
    ShowClocks();
    CheckMoves();
    link_->PumpSoon();
}

// The half-move the peer played again must fit and give its board, or the games are not the same.
void TSession::DeliveredMove(bool made) {
    const std::string awaited = std::exchange(resume_.AwaitBoard, {});
    if (awaited.empty() || (made && OwnClaim().Board == awaited))
        return;
    view_.AddMessage(
        QStringLiteral("The game could not be resumed: the missing move does not fit."));
    SayLeaving();
    EndGame(TEndTrigger::ConnectionLost);
    link_->CutOffSoon();
}

// The connection ended: a game that can be resumed waits instead of ending; false when the game
// ends as between older copies.
bool TSession::SuspendGame() {
    const qint64 now = Now();
    if (Suspended()) { // a caller on trial has gone
        resume_.Gate = resume_.Asked = false;
        if (resume_.Role == TPeerRole::Called)
            NextCallLater();
    } else {
        if (!game_.Running() || resume_.Identity.empty() || resume_.OnPurpose ||
            link_->CutOffHere() || closing_)
            return false;
        game_.Phase = TGamePhase::Suspended;
        timer_->SetEnabled(false);
        view_.CancelDrag();
        view_.ShowTurn(board_.WhiteToMove(), false);
        resume_.SuspendedAt = now;
        resume_.Role = link_->Role();
        resume_.Calls = 0;
        resume_.NextCallAt = now + FirstCallMs;
        resume_.CallingSince = -1;
        view_.AddMessage(
            QStringLiteral("Connection lost: the game waits 2 minutes for your opponent."));
        RunPulse();
    }
    if (!closing_)
        StartListening();
    ShowSuspension();
    ShowButtons();
    return true;
}

// A connection while the game waits: on trial until it names the game.
void TSession::RejoinConnected() {
    game_.Asked = {}; // questions of the old connection get no answer now
    resume_.CallingSince = -1;
    resume_.Gate = true;
    resume_.Asked = resume_.OnPurpose = false;
    resume_.GateSince = resume_.LastHeard = resume_.LastBeat = Now();
    ShowButtons();
}

void TSession::CallBack() {
    resume_.CallingSince = Now();
    link_->Call(connectAddress_);
}

// Back-off between calls: 5, 10, 20, then every 30 seconds.
void TSession::NextCallLater() {
    resume_.CallingSince = -1;
    const int doubling = std::min(resume_.Calls++, 3);
    resume_.NextCallAt = Now() + std::min<qint64>(LongestCallPauseMs, 5000LL << doubling);
}

void TSession::ResumeTick() {
    const qint64 now = Now();
    if (Connected() && link_->PeerFeatures().Resume) {
        if (now - resume_.LastBeat >= BeatMs) {
            resume_.LastBeat = now;
            link_->SendExtension(BeatWord);
        }
        if (now - resume_.LastHeard >= SilenceMs)
            return link_->Current()->Close(); // vanished without a word: dropped
    }
    if (!Suspended()) {
        if (!Connected() && pulse_)
            pulse_->stop();
        return;
    }
    if (now - resume_.SuspendedAt >= GraceMs)
        return EndSuspension(
            QStringLiteral("Your opponent did not come back in time: the game ends."));
    if (resume_.Gate && now - resume_.GateSince >= RecogniseMs)
        link_->CutOffSoon();
    if (resume_.CallingSince >= 0 && now - resume_.CallingSince >= CallWaitMs) {
        link_->StopCalling();
        StartListening();
        NextCallLater();
    }
    if (!Connected() && resume_.Role == TPeerRole::Called && resume_.CallingSince < 0 &&
        now >= resume_.NextCallAt)
        CallBack();
    ShowSuspension();
}

void TSession::ShowSuspension() {
    view_.ShowStatus(2, QStringLiteral("Connection lost %1")
                            .arg(Countdown(GraceMs - (Now() - resume_.SuspendedAt))));
}

// Hanging up on purpose: a peer that resumes is told, so it ends the game at once.
void TSession::SayLeaving() {
    resume_.OnPurpose = true;
    if (Connected() && link_->PeerFeatures().Resume)
        link_->SendExtension(LeaveWord);
}

void TSession::DropSuspension() {
    if (resume_.CallingSince >= 0)
        link_->StopCalling();
    resume_.CallingSince = -1;
    resume_.Gate = resume_.Asked = false;
    resume_.AwaitBoard.clear();
    resume_.Identity.clear();
}

// The grace period is over or Disconnect was pressed: the game ends as a dropped one always did,
// and a caller on trial goes with it.
void TSession::EndSuspension(const QString &why) {
    if (!why.isEmpty())
        view_.AddMessage(why);
    DropSuspension();
    game_.Phase = TGamePhase::Running;
    if (Connected()) {
        SayLeaving();
        link_->HangUp(); // its end closes the game
        return;
    }
    ConnectionClosed();
}

// The peer came back but the game cannot go on: it ends as a dropped one, and the connection
// stays as a new one.
void TSession::GiveUpAndStay(const QString &why) {
    view_.AddMessage(why);
    DropSuspension();
    EndGame(TEndTrigger::ConnectionLost);
    if (TPeerConnection *connection = link_->Current())
        PeerConnected(link_->Role(), connection->PeerAddress());
}
