#include "app/Notices.h"
#include "app/session/PeerText.h"

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
