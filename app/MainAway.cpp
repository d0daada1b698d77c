#include "app/Main.h"

#include "app/Dialogs.h"
#include "app/PeerLink.h"
#include "board/ChessBrd.h"
#include "components/TrayIcon.h"

#include <QApplication>

// Nothing while the player looks at the window; otherwise the tray tells, and a window that is
// shown but not active asks for attention as well.
void TMainForm::NotifyAway(const TNotice &notice) {
    const TNoticeWay way = NoticeWayFor(isVisible(), isMinimized(), isActiveWindow());
    if (way == TNoticeWay::None)
        return;
    TrayIcon1->ShowMessage(notice.Title, notice.Message);
    if (way != TNoticeWay::TrayMessageAndAlert)
        return;
    if (alert_)
        alert_(this);
    else
        QApplication::alert(this);
}

// The piece a pawn becomes as the board promotes it. A local move asks the player when the peer
// understands the choice; a move from the wire takes the piece its Promote line named. Anything
// else is a queen, as between copies without the choice.
char TMainForm::PromotionFor() {
    const bool local =
        Game.Hold == TBoardHold::MoveInProgress && Game.LocalMovesMade != Game.LocalMovesSent;
    if (!local)
        return Game.PeerPromotion != 0 ? Game.PeerPromotion : 'Q';
    Game.LocalPromotion = 0;
    if (!Link->PeerFeatures().Promotion)
        return 'Q';
    char piece = Dialogs().ChoosePromotion(*ChessBrd1, Game.MoverWhite);
    if (piece != 'R' && piece != 'B' && piece != 'N')
        piece = 'Q';
    Game.LocalPromotion = piece;
    return piece;
}
