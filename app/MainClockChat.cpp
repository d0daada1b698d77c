#include "app/Main.h"

#include "app/ClockMath.h"
#include "app/Dialogs.h"
#include "app/PeerLink.h"
#include "app/PreciseTimer.h"
#include "board/ChessBrd.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// The clock of the board's side to move loses a second; its flag falls below 0:0.
void TMainForm::Timer1Timer() {
    if (!Game.Running()) {
        Timer1->SetEnabled(false); // a tick that was already due when the game ended
        return;
    }
    if (ChessBrd1->WhiteToMove()) {
        if (TickClock(WhiteMinutes, WhiteSeconds)) {
            ResignWith(TEndTrigger::WhiteFlagFell);
            Dialogs().Notice(QStringLiteral("Time out ..., White loss!!!"));
        } else {
            Edit2->setText(ClockText(WhiteMinutes, WhiteSeconds));
        }
    } else {
        if (TickClock(BlackMinutes, BlackSeconds)) {
            ResignWith(TEndTrigger::BlackFlagFell);
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
    Link->SendChat(text);
    Memo1->appendPlainText(QLatin1Char('>') + text);
    Edit4->clear();
}

void TMainForm::BitBtn1Click() {
    Link->SendControl(TControlWord::AskBack);
}

void TMainForm::BitBtn2Click() {
    Link->SendControl(TControlWord::AskForward);
}

void TMainForm::Button2Click() {
    Link->SendControl(Game.StepsOff ? TControlWord::WardAskOn : TControlWord::WardAskOff);
}

namespace {
QString QuestionText(TAskKind kind) {
    switch (kind) {
    case TAskKind::Back:
        return QStringLiteral("Your opponent ask to move backward. Agree?");
    case TAskKind::Forward:
        return QStringLiteral("Your opponent ask to move forward. Agree?");
    case TAskKind::WardOff:
        return QStringLiteral("Your opponent ask to disable navigation buttons. Agree?");
    case TAskKind::WardOn:
        return QStringLiteral("Your opponent ask to enable navigation buttons. Agree?");
    }
    return {};
}

QString RefusalText(TAskKind kind) {
    switch (kind) {
    case TAskKind::Back:
        return QStringLiteral("Backward move request is refused!");
    case TAskKind::Forward:
        return QStringLiteral("Forward move request is refused!");
    case TAskKind::WardOff:
        return QStringLiteral("Navigation disable request is refused!");
    case TAskKind::WardOn:
        return QStringLiteral("Navigation enable request is refused!");
    }
    return {};
}
} // namespace

// One question of a kind at a time; a repeat is refused at once. The answer goes out before the
// local change, so both programs change alike, and only to the connection that asked, in the game
// it asked about.
void TMainForm::AnswerRequest(TAskKind kind) {
    bool &asking = Game.Asking[static_cast<std::size_t>(kind)];
    if (asking) {
        Link->SendControl(RefusalOf(kind));
        return;
    }
    const auto connection = Link->Serial();
    const auto game = Game.Serial;
    asking = true;
    NotifyAway(QuestionNotice(QuestionText(kind)));
    const bool agreed = Dialogs().Confirm(QuestionText(kind));
    asking = false;
    if (connection != Link->Serial())
        return;
    // A new game while the question was open: the step it asked for belongs to the old one.
    const bool stale = game != Game.Serial && (kind == TAskKind::Back || kind == TAskKind::Forward);
    if (!agreed || stale) {
        Link->SendControl(RefusalOf(kind));
        return;
    }
    Link->SendControl(GrantOf(kind));
    switch (kind) {
    case TAskKind::Back:
    case TAskKind::Forward:
        StepBoard(kind == TAskKind::Back);
        break;
    case TAskKind::WardOff:
    case TAskKind::WardOn:
        SwitchSteps(kind == TAskKind::WardOff);
        break;
    }
}

// Repeats of a refusal already on screen add nothing.
void TMainForm::ShowRefusal(TAskKind kind) {
    bool &showing = Game.Refusing[static_cast<std::size_t>(kind)];
    if (showing)
        return;
    showing = true;
    Dialogs().Refusal(RefusalText(kind));
    showing = false;
}

// A granted step resumes an ended game: the clock of the side to move runs again. Before the
// first game of a connection there is no game to resume.
void TMainForm::StepBoard(bool back) {
    if (back)
        ChessBrd1->MoveBack();
    else
        ChessBrd1->MoveForward();
    if (Game.Phase == TGamePhase::Ended) {
        Game.Phase = TGamePhase::Running;
        Game.Ending.reset(); // its next end is kept again
        Game.Outcome.reset();
    }
    CheckMoves();
}

void TMainForm::SwitchSteps(bool off) {
    Game.StepsOff = off;
    BitBtn1->setEnabled(!off);
    BitBtn2->setEnabled(!off);
    Button2->setText(off ? QStringLiteral("< ON >") : QStringLiteral("< OFF >"));
}
