#pragma once
#include "board/core/Pgn.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

// What the tray tells the player while the window is away. Texts are plain; the tray icon escapes
// them for the desktop.
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
    ConnectionLost,
    Agreement
};
// The end of the game from the local player's side, e.g. "You won — checkmate".
TNotice GameEndNotice(TGameEnd how, TGameResult result, bool localPlaysWhite);

// How to tell the player: nothing while the window is active; a tray message while it is hidden
// or minimised; a tray message and a request for attention while it is shown but not active.
enum class TNoticeWay { None, TrayMessage, TrayMessageAndAlert };
TNoticeWay NoticeWayFor(bool windowVisible, bool windowMinimized, bool windowActive);

enum class TNoticeKind { OpponentMove, Chat, Question, GameEnd };

// Keeps a peer from flooding the desktop: at most one notice of each kind per window. Notices of
// a kind that arrive inside its window are held back and counted, and the next one let through
// says how many it stands for. Pure: the clock is given.
class TNoticeThrottle {
  public:
    static constexpr qint64 DefaultWindowMs = 5000;
    // A monotonic clock in milliseconds.
    static qint64 SteadyMs();

    explicit TNoticeThrottle(std::function<qint64()> nowMs = &SteadyMs,
                             qint64 windowMs = DefaultWindowMs);

    // The notice to show now (counting the ones held back since the last), or nothing when one of
    // its kind went through less than the window ago; that one is then counted.
    std::optional<TNotice> Pass(TNoticeKind kind, TNotice notice);
    // How many of kind have been held back since the last one let through.
    qint64 Held(TNoticeKind kind) const;

  private:
    struct TKindState {
        std::optional<qint64> passedAt;
        qint64 held = 0;
    };
    std::function<qint64()> nowMs_;
    qint64 windowMs_;
    std::array<TKindState, 4> kinds_{};
};
