#include "app/Main.h"

#include "app/Dialogs.h"
#include "app/MoveText.h"
#include "app/PeerLink.h"
#include "board/ChessBrd.h"
#include "board/core/Notation.h"

#include <QPlainTextEdit>

#include <utility>

void TMainForm::ConnectLink() {
    Link->OnArrival = [this](const TPeerLine &line) { return Arrived(line); };
    Link->MayDispatch = [this](const TPeerLine &line) { return MayDispatch(line, Game.Hold); };
    Link->OnLine = [this](const TPeerLine &line) { Dispatch(line); };
}

void TMainForm::ClientSocketRead(TCustomWinSocket *socket) {
    Link->Receive(socket);
}

void TMainForm::ServerSocketClientRead(TCustomWinSocket *socket) {
    Link->Receive(socket);
}

// A request of a kind whose question is open or waiting gets its refusal at once: a peer cannot
// pile up questions.
bool TMainForm::Arrived(const TPeerLine &line) {
    if (line.Channel != TPeerChannel::Control)
        return true;
    const auto kind = AskKindOf(line.Word);
    if (!kind || !(Game.Asking[static_cast<std::size_t>(*kind)] || Link->HasQueued(line.Word)))
        return true;
    Link->SendControl(RefusalOf(*kind));
    return false;
}

void TMainForm::CheckCommand(const std::string &line) {
    Dispatch(ParsePeerLine(line, MessageTag));
}

void TMainForm::Dispatch(const TPeerLine &command) {
    // Disabling the board puts the held piece back; its end of drag runs before the line acts.
    if (Game.Hold == TBoardHold::PieceHeld && InterruptsDrag(command))
        ChessBrd1->setEnabled(false);
    switch (command.Channel) {
    case TPeerChannel::Chat:
        Memo1->appendPlainText(DecodeChatText(command.Payload));
        NotifyAway(ChatNotice(DecodeChatText(command.Payload)));
        break;
    case TPeerChannel::Move:
        StrToMove(command.Payload);
        break;
    case TPeerChannel::Control:
        // Only a peer that announced the choice names promotion pieces.
        if (const auto piece = ParsePromotionPayload(command.Payload);
            piece && Link->PeerFeatures().Promotion)
            Game.PeerPromotion = *piece;
        RunControl(command.Word);
        if (command.NewTime) {
            TimePerSide = *command.NewTime;
            WhiteMinutes = *command.NewTime;
            BlackMinutes = *command.NewTime;
        }
        break;
    case TPeerChannel::None:
        break;
    }
}

bool TMainForm::StrToMove(const std::string &moveText) {
    // A Promote line names the piece of the next move line only, whatever that line does.
    const char promotion = std::exchange(Game.PeerPromotion, 0);
    const TMoveText move = ReadMoveText(moveText);
    if (!move.WellFormed)
        return false;
    bool made = false;
    // Only the peer's side may be moved from the wire, and only once a game has been started.
    const bool peersTurn = ChessBrd1->WhiteToMove() != Game.PlayWhite;
    if (move.HasTo && peersTurn && Game.Phase != TGamePhase::None &&
        Game.Hold == TBoardHold::Free) {
        const Square from = TChessRules::SquareAt(move.FromFile, move.FromRank);
        const Square to = TChessRules::SquareAt(move.ToFile, move.ToRank);
        const bool promoting = IsPromotionMove(*ChessBrd1, from, to);
        Game.Hold = TBoardHold::MoveInProgress;
        Game.PeerPromotion = promotion; // read as the board promotes
        made = ChessBrd1->MakeMove(from, to);
        Game.PeerPromotion = 0;
        Release();
        if (made)
            NotifyAway(OpponentMoveNotice(QString::fromStdString(moveText),
                                          promoting ? (promotion != 0 ? promotion : 'Q') : 0));
    }
    UpdateMove();
    CheckMoves();
    return made;
}

void TMainForm::RunControl(TControlWord word) {
    switch (word) {
    case TControlWord::Resign: {
        const bool white = ChessBrd1->WhiteToMove();
        const int left =
            Game.PlayWhite ? WhiteMinutes * 60 + WhiteSeconds : BlackMinutes * 60 + BlackSeconds;
        EndGame(PeerResignTrigger(Game.PlayWhite, white == Game.PlayWhite, left));
        break;
    }
    case TControlWord::New:
        ReceivedNew();
        break;
    case TControlWord::Back:
    case TControlWord::Forward:
        StepBoard(word == TControlWord::Back);
        break;
    case TControlWord::WardOff:
    case TControlWord::WardOn:
        SwitchSteps(word == TControlWord::WardOff);
        break;
    case TControlWord::None:
        break;
    default:
        if (const auto kind = AskKindOf(word))
            AnswerRequest(*kind);
        else if (const auto refused = RefusedKindOf(word))
            ShowRefusal(*refused);
        break;
    }
}
