#pragma once
#include "board/core/Pgn.h"

#include <QString>

// What the tray tells the player while the window is away. Texts are plain; peer text stays as
// sent.
struct TNotice {
    QString Title;
    QString Message;
    friend bool operator==(const TNotice &, const TNotice &) = default;
};

// "Your move — opponent played E7-E5"; a promotion adds its piece: "... B2-B1=N".
// promotion: Q, R, B or N in either case; 0 for none.
TNotice OpponentMoveNotice(const QString &moveText, char promotion = 0);
// A chat line as ShownPeerText shows it, cut at 80 characters.
TNotice ChatNotice(const QString &text);
// A question from the opponent is waiting in the window.
TNotice QuestionNotice(const QString &question);

enum class TGameEnd {
    Checkmate,
    Stalemate,
    Repetition,
    BareKings,
    Resignation,
    FlagFall,
    ConnectionLost
};
// The end of the game from the local player's side, e.g. "You won — checkmate".
TNotice GameEndNotice(TGameEnd how, TGameResult result, bool localPlaysWhite);

// How to tell the player: nothing while the window is active; a tray message while it is hidden
// or minimised; a tray message and a request for attention while it is shown but not active.
enum class TNoticeWay { None, TrayMessage, TrayMessageAndAlert };
TNoticeWay NoticeWayFor(bool windowVisible, bool windowMinimized, bool windowActive);
