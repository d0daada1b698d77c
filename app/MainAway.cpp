#include "app/Main.h"

#include "components/TrayIcon.h"

#include <QApplication>

// Nothing while the player looks at the window; otherwise the tray tells, and a window that is
// shown but not active asks for attention as well.
void TMainForm::NotifyAway(const TNotice &notice) {
    const TNoticeWay way = NoticeWayFor(isVisible(), isMinimized(), isActiveWindow());
    if (way == TNoticeWay::None)
        return;
    if (TrayIcon1) // made only once the first frame is out
        TrayIcon1->ShowMessage(notice.Title, notice.Message);
    if (way != TNoticeWay::TrayMessageAndAlert)
        return;
    if (alert_)
        alert_(this);
    else
        QApplication::alert(this);
}
