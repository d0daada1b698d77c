#include "Main.h"

#include "ClockMath.h"
#include "Dialogs.h"
#include "board/ChessBrd.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// The clock of the board's side to move loses a second; its flag falls below 0:0.
void TMainForm::Timer1Timer() {
    if (ChessBrd1->WhiteToMove()) {
        if (TickClock(WhiteMinutes, WhiteSeconds)) {
            BitBtn4Click();
            Dialogs().Notice(QStringLiteral("Time out ..., White loss!!!"));
        } else {
            Edit2->setText(ClockText(WhiteMinutes, WhiteSeconds));
        }
    } else {
        if (TickClock(BlackMinutes, BlackSeconds)) {
            BitBtn4Click();
            Dialogs().Notice(QStringLiteral("Time out ..., Black loss!!!"));
        } else {
            Edit1->setText(ClockText(BlackMinutes, BlackSeconds));
        }
    }
}

void TMainForm::Edit4KeyDown(int key) {
    if (key != 13)
        return;
    const QString text = Edit4->text();
    // A pasted line feed would end the line early on the wire.
    QByteArray payload = text.toUtf8();
    payload.replace('\n', ' ');
    SendAct(MessageTag + std::string(ChannelName(TPeerChannel::Chat)) + payload.toStdString());
    Memo1->appendPlainText(QLatin1Char('>') + text);
    Edit4->clear();
}

void TMainForm::BitBtn1Click() {
    SendControl("AskBack");
}

void TMainForm::BitBtn2Click() {
    SendControl("AskForward");
}

void TMainForm::Button2Click() {
    SendControl(Button2->text() == QStringLiteral("< OFF >") ? "WardAskOff" : "WardAskOn");
}

// The answer goes out before the local change, so both programs change alike.
void TMainForm::AnswerRequest(const QString &question, std::string_view granted,
                              std::string_view refused, const std::function<void()> &grant) {
    if (!Dialogs().Confirm(question)) {
        SendControl(refused);
        return;
    }
    SendControl(granted);
    grant();
}

void TMainForm::AnswerStep(bool back) {
    AnswerRequest(back ? QStringLiteral("Your opponent ask to move backward. Agree?")
                       : QStringLiteral("Your opponent ask to move forward. Agree?"),
                  back ? "Back" : "Forward", back ? "BackFail" : "ForwardFail",
                  [this, back] { StepBoard(back); });
}

void TMainForm::StepBoard(bool back) {
    if (back)
        ChessBrd1->MoveBack();
    else
        ChessBrd1->MoveForward();
    CheckMoves();
}

void TMainForm::AnswerSwitch(bool off) {
    AnswerRequest(off ? QStringLiteral("Your opponent ask to disable navigation buttons. Agree?")
                      : QStringLiteral("Your opponent ask to enable navigation buttons. Agree?"),
                  off ? "WardOff" : "WardOn", off ? "WardOffFail" : "WardOnFail",
                  [this, off] { SwitchSteps(off); });
}

void TMainForm::SwitchSteps(bool off) {
    BitBtn1->setEnabled(!off);
    BitBtn2->setEnabled(!off);
    Button2->setText(off ? QStringLiteral("< ON >") : QStringLiteral("< OFF >"));
}
