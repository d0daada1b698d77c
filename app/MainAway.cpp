#include "app/Main.h"

#include "components/TrayIcon.h"

#include <QApplication>

// Nothing while the player looks at the window; otherwise the tray tells, and a window that is
// shown but not active asks for attention as well.
// A peer cannot flood the desktop: notices of a kind come at most every few seconds.
void TMainForm::NotifyAway(TNoticeKind kind, const TNotice &notice) {
    const TNoticeWay way = NoticeWayFor(isVisible(), isMinimized(), isActiveWindow());
    if (way == TNoticeWay::None)
        return;
    const std::optional<TNotice> shown = noticeThrottle_.Pass(kind, notice);
    if (!shown)
        return;
    if (TrayIcon1) // made only once the first frame is out
        TrayIcon1->ShowMessage(shown->Title, shown->Message);
    if (way != TNoticeWay::TrayMessageAndAlert)
        return;
    if (alert_)
        alert_(this);
    else
        QApplication::alert(this);
}
