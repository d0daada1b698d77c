#include "app/Main.h"

#include "app/StatusPanels.h"
#include "board/ChessBrd.h"
#include "net/Discovery.h"
#include "net/PortMapper.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

void TMainForm::BitBtn3Click() {
    session_->NewGame();
}

void TMainForm::BitBtn4Click() {
    session_->Resign();
}

void TMainForm::BitBtn6Click() {
    session_->ConnectOrDisconnect();
}

void TMainForm::BitBtn1Click() {
    session_->AskStep(true);
}

void TMainForm::BitBtn2Click() {
    session_->AskStep(false);
}

void TMainForm::Button2Click() {
    session_->AskStepSwitch();
}

void TMainForm::Edit4KeyDown(int key) {
    if (key == 13)
        session_->Chat(Edit4->text());
}

void TMainForm::Button1Click() {
    ChessBrd1->SetWhiteOnTop(!ChessBrd1->WhiteOnTop());
    Button1->setText(ChessBrd1->WhiteOnTop() ? QStringLiteral("Black on Top")
                                             : QStringLiteral("White on Top"));
}

void TMainForm::ShowTurn(bool whiteToMove, bool boardTakesMoves) {
    StatusBar1->SetPanelText(0, whiteToMove ? QStringLiteral("White turn ...")
                                            : QStringLiteral("Black turn ..."));
    ChessBrd1->setEnabled(boardTakesMoves);
}

void TMainForm::ShowClock(bool white, const QString &text) {
    (white ? Edit2 : Edit1)->setText(text);
}

// The newest move is always in sight.
void TMainForm::ShowMoveList(const QStringList &lines) {
    Memo->setPlainText(lines.join(QLatin1Char('\n')));
    Memo->verticalScrollBar()->setValue(Memo->verticalScrollBar()->maximum());
}

void TMainForm::AddMessage(const QString &line) {
    Memo1->appendPlainText(line);
}

void TMainForm::ShowStatus(int panel, const QString &text) {
    StatusBar1->SetPanelText(panel, text);
}

void TMainForm::ShowButtons(const TSessionButtons &buttons) {
    BitBtn3->setEnabled(buttons.NewGame);
    BitBtn4->setEnabled(buttons.Resign);
    BitBtn6->setText(buttons.Connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    BitBtn1->setEnabled(buttons.StepAsks);
    BitBtn2->setEnabled(buttons.StepAsks);
    Button2->setEnabled(buttons.StepSwitch);
    Button2->setText(buttons.StepsOff ? QStringLiteral("< ON >") : QStringLiteral("< OFF >"));
    ShowDrawOffer(buttons.Draw);
}

// Nothing listens while calling out: the router then forwards nothing to this machine either.
void TMainForm::ShowListening(bool listening) {
    if (portMapper_)
        portMapper_->SetListening(listening);
    if (discovery_ && session_) // not while the session goes
        discovery_->Publish(listening ? ListeningPort() : 0);
}

void TMainForm::CancelDrag() {
    ChessBrd1->CancelDrag();
}

void TMainForm::ClearChatInput() {
    Edit4->clear();
}
