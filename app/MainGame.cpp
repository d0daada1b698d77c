#include "Main.h"

#include "ClockMath.h"
#include "Dialogs.h"
#include "MoveText.h"
#include "PreciseTimer.h"
#include "StatusPanels.h"
#include "board/ChessBrd.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

namespace {
const QString WhiteTurn = QStringLiteral("White turn ...");
const QString BlackTurn = QStringLiteral("Black turn ...");
} // namespace

void TMainForm::CheckMoves() {
    if (ChessBrd1->WhiteToMove()) {
        StatusBar1->SetPanelText(0, WhiteTurn);
        ChessBrd1->setEnabled(PlayWhite);
    } else {
        StatusBar1->SetPanelText(0, BlackTurn);
        ChessBrd1->setEnabled(!PlayWhite);
    }
    if (!Timer1->Enabled())
        Timer1->SetEnabled(true);
}

void TMainForm::UpdateMove() {
    auto lines = ChessBrd1->GetMoveList();
    // The board's last line is the slot of the half-move still to be played.
    if (!lines.empty())
        lines.pop_back();
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const auto &line : lines)
        text << QString::fromStdString(line);
    Memo->setPlainText(text.join(QLatin1Char('\n')));
}

void TMainForm::ShowClocks() {
    Edit1->setText(ClockText(BlackMinutes, BlackSeconds));
    Edit2->setText(ClockText(WhiteMinutes, WhiteSeconds));
}

// The program that starts a game plays White; the one that receives "New" plays Black.
void TMainForm::BitBtn3Click() {
    if (BitBtn6->text() == QStringLiteral("Connect"))
        return;
    BitBtn3->setEnabled(false);
    ChessBrd1->ResetGame();
    ChessBrd1->SetPosition(TChessRules::StartPosition);
    PlayWhite = true;
    WhiteMinutes = TimePerSide;
    BlackMinutes = TimePerSide;
    SendControl(std::to_string(TimePerSide));
    WhiteSeconds = 0;
    BlackSeconds = 0;
    ChessBrd1->FirstMoveNumber = 1;
    ChessBrd1->LastMoveNumber = 0;
    LocalMovesSent = LocalMovesMade;
    UpdateMove();
    ShowClocks();
    CheckMoves();
    SendControl("New");
    BitBtn4->setEnabled(true);
}

void TMainForm::ReceivedNew() {
    BitBtn3->setEnabled(false);
    PlayWhite = false;
    ChessBrd1->ResetGame();
    ChessBrd1->SetPosition(TChessRules::StartPosition);
    WhiteMinutes = TimePerSide;
    BlackMinutes = TimePerSide;
    WhiteSeconds = 0;
    BlackSeconds = 0;
    LocalMovesSent = LocalMovesMade;
    UpdateMove();
    ShowClocks();
    CheckMoves();
    BitBtn4->setEnabled(true);
}

void TMainForm::OnEndDrag() {
    UpdateMove();
    CheckMoves();
    // A drag that put the piece back or was cancelled made no move: nothing to tell the peer.
    if (LocalMovesMade == LocalMovesSent)
        return;
    LocalMovesSent = LocalMovesMade;
    const QString lastLine = Memo->document()->lastBlock().text();
    SendAct(MessageTag + std::string(ChannelName(TPeerChannel::Move)) +
            MoveTextFromListLine(lastLine.toStdString()));
    if (LocalDraw) {
        BitBtn4Click();
        return;
    }
    if (!ChessBrd1->CanMove()) {
        const bool blackStuck = StatusBar1->PanelText(0) == BlackTurn;
        BitBtn4Click();
        Dialogs().Notice(blackStuck ? QStringLiteral("Black can not move, White Win!!!")
                                    : QStringLiteral("White can not move ..., Black Win!!!"));
    }
}

void TMainForm::BitBtn4Click() {
    EndGame();
    SendControl("Resign");
}

void TMainForm::EndGame() {
    BitBtn3->setEnabled(true);
    BitBtn4->setEnabled(false);
    Timer1->SetEnabled(false);
    ChessBrd1->setEnabled(false);
}

// Panel 0 still shows the mover's turn while the board's move events run.
bool TMainForm::MoverIsBlack() const {
    return StatusBar1->PanelText(0) == BlackTurn;
}

void TMainForm::ChessBrd1Check() {
    StatusBar1->SetPanelText(1, MoverIsBlack() ? QStringLiteral("Warning : Black check...!!")
                                               : QStringLiteral("Warning : White check...!!"));
}

void TMainForm::ChessBrd1Castle() {
    StatusBar1->SetPanelText(1, MoverIsBlack() ? QStringLiteral("Warning : Black casting...!!")
                                               : QStringLiteral("Warning : White casting...!!"));
}

void TMainForm::ChessBrd1Mate() {
    Dialogs().Notice(MoverIsBlack() ? QStringLiteral("Black check mate ..., White loss!!!")
                                    : QStringLiteral("White check mate, Black loss!!!"));
}

// Stalemate, threefold repetition and bare kings end the game as a draw; the mover's program
// resigns it once its move has gone out.
void TMainForm::DrawNotice(const QString &text) {
    if (!PlayingPeerMove)
        LocalDraw = true;
    Dialogs().Notice(text);
}

void TMainForm::Button1Click() {
    ChessBrd1->SetWhiteOnTop(!ChessBrd1->WhiteOnTop());
    Button1->setText(ChessBrd1->WhiteOnTop() ? QStringLiteral("Black on Top")
                                             : QStringLiteral("White on Top"));
}
