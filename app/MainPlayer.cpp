// The player's name and the draw offer: the window's context menu and the opponent label.
#include "app/Main.h"
#include "net/Discovery.h"

#include "app/session/Dialogs.h"
#include "app/session/PlayerLines.h"
#include "board/ChessBrd.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTextDocument>

namespace {

QString DrawOfferTip(TDrawOffer offer) {
    switch (offer) {
    case TDrawOffer::Available:
        return QStringLiteral("Offer your opponent a draw");
    case TDrawOffer::NoGame:
        return QStringLiteral("A draw can be offered during a game");
    case TDrawOffer::Waiting:
        return QStringLiteral("Your draw offer waits for your opponent's answer");
    case TDrawOffer::Unsupported:
        break;
    }
    return QStringLiteral("Your opponent's program cannot take draw offers");
}

} // namespace

// The menu adds no control to the fixed layout: it opens on a right click anywhere that has no
// menu of its own (the board included, unless a piece is being dragged).
void TMainForm::BuildWindowMenu() {
    WindowMenu1 = new QMenu(this);
    WindowMenu1->setToolTipsVisible(true); // a greyed offer says why
    OfferDraw1 = WindowMenu1->addAction(QStringLiteral("Offer a draw"));
    OfferDraw1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    addAction(OfferDraw1);
    YourName1 = WindowMenu1->addAction(QStringLiteral("Your name..."));
    YourName1->setToolTip(QStringLiteral("The name your opponent sees"));
    ShowDrawOffer(TDrawOffer::NoGame);
    connect(OfferDraw1, &QAction::triggered, this, &TMainForm::OfferDraw1Click);
    connect(YourName1, &QAction::triggered, this, &TMainForm::YourName1Click);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (!ChessBrd1->IsDragging())
            WindowMenu1->popup(mapToGlobal(at));
    });
}

void TMainForm::ShowDrawOffer(TDrawOffer offer) {
    OfferDraw1->setEnabled(offer == TDrawOffer::Available);
    OfferDraw1->setToolTip(DrawOfferTip(offer));
}

void TMainForm::OfferDraw1Click() {
    session_->OfferDraw();
}

void TMainForm::YourName1Click() {
    QString name = playerName_.Name();
    if (!Dialogs().InputQuery(QStringLiteral("Your name"),
                              QStringLiteral("Name shown to your opponent:"), name, MaxPlayerName))
        return;
    if (!playerName_.SetName(name))
        ShowStatus(1, QStringLiteral("Name not saved"));
    session_->SetPlayerName(playerName_.Name());
    if (discovery_)
        discovery_->SetName(playerName_.Name());
}

// A name the peer gave itself may be longer than the space beside the board: the label shows what
// fits, and its tooltip the whole name with the address, escaped, as tooltips read markup.
void TMainForm::ShowOpponent(const QString &opponent, const QString &address) {
    const bool named = !address.isEmpty();
    const int room = width() - Label6->x() - 4;
    Label6->setText(named ? Label6->fontMetrics().elidedText(opponent, Qt::ElideRight, room)
                          : opponent);
    Label6->setToolTip(named ? Qt::convertFromPlainText(opponent + QLatin1Char('\n') + address)
                             : QString());
    Label6->adjustSize();
}
