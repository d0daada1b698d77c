#include "app/Main.h"

#include "app/ClockMath.h"
#include "app/Dialogs.h"
#include "app/MoveText.h"
#include "app/PeerLink.h"
#include "app/PreciseTimer.h"
#include "app/StatusPanels.h"
#include "board/ChessBrd.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

#include <utility>

// The board takes input only on the local player's turn in a running game, and the clock runs only
// while a game does.
void TMainForm::CheckMoves() {
    const bool whiteToMove = ChessBrd1->WhiteToMove();
    StatusBar1->SetPanelText(0, whiteToMove ? QStringLiteral("White turn ...")
                                            : QStringLiteral("Black turn ..."));
    ChessBrd1->setEnabled(Game.Running() && whiteToMove == Game.PlayWhite);
    if (Game.Running() && !Timer1->Enabled())
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

// The program that starts a game plays White and the one that receives "New" Black, unless the
// two New Games may have crossed (see ColoursByRole).
void TMainForm::BitBtn3Click() {
    if (!Connected())
        return;
    const bool playWhite = ColoursByRole(Game) ? IsServer() : true;
    BitBtn3->setEnabled(false);
    Link->SendTime(TimePerSide);
    StartGame(playWhite);
    Link->SendControl(TControlWord::New);
    BitBtn4->setEnabled(true);
}

void TMainForm::ReceivedNew() {
    const bool crossed = ColoursByRole(Game);
    BitBtn3->setEnabled(false);
    // Crossed New Games: the listener's time holds on both sides, as its colour does.
    if (crossed && IsServer())
        TimePerSide = Game.MinutesPerSide;
    StartGame(crossed ? IsServer() : false);
    BitBtn4->setEnabled(true);
}

void TMainForm::StartGame(bool playWhite) {
    // A held piece belongs to the game being replaced.
    ChessBrd1->setEnabled(false);
    Game.Phase = TGamePhase::Running;
    Game.PlayWhite = playWhite;
    Game.MovesMade = 0;
    Game.LocalDraw = false;
    Game.LocalMovesSent = Game.LocalMovesMade;
    Game.MinutesPerSide = TimePerSide;
    Game.PeerPromotion = Game.LocalPromotion = 0;
    Game.Ending.reset();
    Game.Outcome.reset();
    Game.KeepPending = false;
    gameDate_ = QDate::currentDate();
    ++Game.Serial;
    ChessBrd1->ResetGame();
    ChessBrd1->SetPosition(TChessRules::StartPosition);
    WhiteMinutes = TimePerSide;
    BlackMinutes = TimePerSide;
    WhiteSeconds = 0;
    BlackSeconds = 0;
    ChessBrd1->FirstMoveNumber = 1;
    ChessBrd1->LastMoveNumber = 0;
    UpdateMove();
    ShowClocks();
    CheckMoves();
}

void TMainForm::OnEndDrag() {
    const bool heldHere = Game.Hold == TBoardHold::PieceHeld;
    const bool moved = Game.LocalMovesMade != Game.LocalMovesSent;
    UpdateMove();
    CheckMoves();
    // A drag that put the piece back or was cancelled made no move: nothing to tell the peer.
    if (moved)
        LocalMoveDone();
    if (heldHere || moved)
        Release();
}

// The local move is on the board: it goes to the peer, then the game may end with it. A box opened
// inside the move (the promotion chooser, a notice) may have outlived its connection; the next
// peer is not sent a move of the old game.
void TMainForm::LocalMoveDone() {
    Game.LocalMovesSent = Game.LocalMovesMade;
    const char piece = std::exchange(Game.LocalPromotion, 0);
    if (Game.MoveConnection == Link->Serial()) {
        const QString lastLine = Memo->document()->lastBlock().text();
        if (piece != 0)
            Link->SendPromotion(piece); // just before its move line
        Link->SendMove(MoveTextFromListLine(lastLine.toStdString()));
    }
    if (!Game.Running())
        return;
    if (Game.LocalDraw) {
        BitBtn4Click();
        return;
    }
    if (!ChessBrd1->CanMove()) {
        const bool blackStuck = !ChessBrd1->WhiteToMove();
        BitBtn4Click();
        Dialogs().Notice(blackStuck ? QStringLiteral("Black can not move, White Win!!!")
                                    : QStringLiteral("White can not move ..., Black Win!!!"));
    }
}

// The board is free again: lines that waited for it run now.
void TMainForm::Release() {
    Game.Hold = TBoardHold::Free;
    if (Game.KeepPending)
        KeepEndedGame();
    Link->PumpSoon();
}

void TMainForm::BitBtn4Click() {
    ResignWith(Game.PlayWhite ? TEndTrigger::WhiteResigned : TEndTrigger::BlackResigned);
}

// Every game this program ends, whatever ended it, is told to the peer as Resign.
void TMainForm::ResignWith(TEndTrigger trigger) {
    EndGame(trigger);
    Link->SendControl(TControlWord::Resign);
}

void TMainForm::EndGame(TEndTrigger trigger) {
    const bool ending = Game.Phase == TGamePhase::Running;
    if (ending) {
        Game.Phase = TGamePhase::Ended;
        Game.Ending = trigger;
    }
    BitBtn3->setEnabled(true);
    BitBtn4->setEnabled(false);
    Timer1->SetEnabled(false);
    // Disabling cancels a held piece; the game has ended first, so its end of drag changes nothing.
    ChessBrd1->setEnabled(false);
    if (ending)
        KeepEndedGame();
}

void TMainForm::ChessBrd1Check() {
    StatusBar1->SetPanelText(1, Game.MoverWhite ? QStringLiteral("Warning : White check...!!")
                                                : QStringLiteral("Warning : Black check...!!"));
}

void TMainForm::ChessBrd1Castle() {
    StatusBar1->SetPanelText(1, Game.MoverWhite ? QStringLiteral("Warning : White casting...!!")
                                                : QStringLiteral("Warning : Black casting...!!"));
}

void TMainForm::ChessBrd1Mate() {
    Dialogs().Notice(Game.MoverWhite ? QStringLiteral("White check mate, Black loss!!!")
                                     : QStringLiteral("Black check mate ..., White loss!!!"));
}

// Stalemate, threefold repetition and bare kings end the game as a draw; the mover's program
// resigns it once its move has gone out.
void TMainForm::DrawNotice(const QString &text) {
    if (Game.Hold == TBoardHold::MoveInProgress && Game.LocalMovesMade != Game.LocalMovesSent)
        Game.LocalDraw = true;
    Dialogs().Notice(text);
}

void TMainForm::Button1Click() {
    ChessBrd1->SetWhiteOnTop(!ChessBrd1->WhiteOnTop());
    Button1->setText(ChessBrd1->WhiteOnTop() ? QStringLiteral("Black on Top")
                                             : QStringLiteral("White on Top"));
}
