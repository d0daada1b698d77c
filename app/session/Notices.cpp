#include "app/session/Notices.h"
#include "app/session/PeerText.h"

#include <chrono>
#include <utility>

namespace {

constexpr int ChatNoticeLength = 80;

QString OutcomeText(TGameResult result, bool localPlaysWhite) {
    switch (result) {
    case TGameResult::WhiteWins:
        return localPlaysWhite ? QStringLiteral("You won") : QStringLiteral("You lost");
    case TGameResult::BlackWins:
        return localPlaysWhite ? QStringLiteral("You lost") : QStringLiteral("You won");
    case TGameResult::Draw:
        return QStringLiteral("Draw");
    case TGameResult::Unfinished:
        break;
    }
    return QStringLiteral("Game over");
}

QString ReasonText(TGameEnd how) {
    switch (how) {
    case TGameEnd::Checkmate:
        return QStringLiteral("checkmate");
    case TGameEnd::Stalemate:
        return QStringLiteral("stalemate");
    case TGameEnd::Repetition:
        return QStringLiteral("the same position three times");
    case TGameEnd::BareKings:
        return QStringLiteral("only the two kings are left");
    case TGameEnd::Resignation:
        return QStringLiteral("resignation");
    case TGameEnd::FlagFall:
        return QStringLiteral("time is up");
    case TGameEnd::Agreement:
        return QStringLiteral("agreed by both players");
    case TGameEnd::ConnectionLost:
        break;
    }
    return QStringLiteral("the connection was lost");
}

} // namespace

TNotice OpponentMoveNotice(const QString &moveText, char promotion) {
    QString message = QStringLiteral("Your move \u2014 opponent played ") + moveText;
    if (promotion != 0) {
        message += QLatin1Char('=');
        message += QChar::fromLatin1(promotion).toUpper();
    }
    return {QStringLiteral("Boardwick"), message};
}

TNotice ChatNotice(const QString &text) {
    return {QStringLiteral("Message from your opponent"), ShownPeerText(text, ChatNoticeLength)};
}

TNotice QuestionNotice(const QString &question) {
    return {QStringLiteral("Your opponent is waiting for an answer"), question};
}

TNotice GameEndNotice(TGameEnd how, TGameResult result, bool localPlaysWhite) {
    return {QStringLiteral("Game over"),
            OutcomeText(result, localPlaysWhite) + QStringLiteral(" \u2014 ") + ReasonText(how)};
}

TNoticeWay NoticeWayFor(bool windowVisible, bool windowMinimized, bool windowActive) {
    if (!windowVisible || windowMinimized)
        return TNoticeWay::TrayMessage;
    return windowActive ? TNoticeWay::None : TNoticeWay::TrayMessageAndAlert;
}

qint64 TNoticeThrottle::SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

TNoticeThrottle::TNoticeThrottle(std::function<qint64()> nowMs, qint64 windowMs)
    : nowMs_(std::move(nowMs)), windowMs_(windowMs) {}

std::optional<TNotice> TNoticeThrottle::Pass(TNoticeKind kind, TNotice notice) {
    TKindState &state = kinds_.at(static_cast<std::size_t>(kind));
    const qint64 now = nowMs_();
    // A clock that went back counts as inside the window: a flood must not slip through it.
    if (state.passedAt && now - *state.passedAt < windowMs_) {
        ++state.held;
        return std::nullopt;
    }
    state.passedAt = now;
    const qint64 held = std::exchange(state.held, 0);
    if (held == 0)
        return notice;
    if (kind == TNoticeKind::Chat)
        notice.Title = QStringLiteral("%1 new messages from your opponent").arg(held + 1);
    else
        notice.Message += QStringLiteral(" (%1 more since the last notice)").arg(held);
    return notice;
}

qint64 TNoticeThrottle::Held(TNoticeKind kind) const {
    return kinds_.at(static_cast<std::size_t>(kind)).held;
}
