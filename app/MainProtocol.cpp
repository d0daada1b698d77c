#include "Main.h"

#include "Dialogs.h"
#include "MoveText.h"
#include "PeerProtocol.h"
#include "board/ChessBrd.h"
#include "net/ScktComp.h"

#include <QPlainTextEdit>

void TMainForm::SendAct(const std::string &line) {
    if (!PeerSocket || !PeerSocket->Connected())
        return;
    QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append('\n');
    PeerSocket->SendString(bytes);
}

void TMainForm::SendControl(std::string_view word) {
    SendAct(MessageTag + std::string(ChannelName(TPeerChannel::Control)) + std::string(word));
}

void TMainForm::ClientSocketRead(TCustomWinSocket *socket) {
    ReadFrom(socket);
}

void TMainForm::ServerSocketClientRead(TCustomWinSocket *socket) {
    ReadFrom(socket);
}

void TMainForm::ReadFrom(TCustomWinSocket *socket) {
    const QByteArray bytes = socket->ReceiveAvailable();
    if (socket != PeerSocket)
        return; // a refused caller: read and forgotten
    // Complete lines are taken out first: a dialog opened by one of them may let further reads in.
    const auto lines = PeerFramer.Feed(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    for (const auto &line : lines)
        CheckCommand(line);
}

void TMainForm::CheckCommand(const std::string &line) {
    const TPeerLine command = ParsePeerLine(line, MessageTag);
    switch (command.Channel) {
    case TPeerChannel::Chat:
        Memo1->appendPlainText(DecodeChatText(command.Payload));
        break;
    case TPeerChannel::Move:
        StrToMove(command.Payload);
        break;
    case TPeerChannel::Control:
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
    const TMoveText move = ReadMoveText(moveText);
    if (!move.WellFormed)
        return false;
    bool made = false;
    // Only the peer's side may be moved from the wire.
    const bool peersTurn = ChessBrd1->WhiteToMove() != PlayWhite;
    if (move.HasTo && peersTurn) {
        PlayingPeerMove = true;
        struct Reset {
            bool &flag;
            ~Reset() { flag = false; }
        } reset{PlayingPeerMove};
        made = ChessBrd1->MakeMove(TChessRules::SquareAt(move.FromFile, move.FromRank),
                                   TChessRules::SquareAt(move.ToFile, move.ToRank));
    }
    UpdateMove();
    CheckMoves();
    return made;
}

void TMainForm::RunControl(TControlWord word) {
    switch (word) {
    case TControlWord::Resign:
        EndGame();
        break;
    case TControlWord::New:
        ReceivedNew();
        break;
    case TControlWord::AskBack:
        AnswerStep(true);
        break;
    case TControlWord::AskForward:
        AnswerStep(false);
        break;
    case TControlWord::BackFail:
        Dialogs().Refusal(QStringLiteral("Backward move request is refused!"));
        break;
    case TControlWord::ForwardFail:
        Dialogs().Refusal(QStringLiteral("Forward move request is refused!"));
        break;
    case TControlWord::Back:
        StepBoard(true);
        break;
    case TControlWord::Forward:
        StepBoard(false);
        break;
    case TControlWord::WardAskOff:
        AnswerSwitch(true);
        break;
    case TControlWord::WardAskOn:
        AnswerSwitch(false);
        break;
    case TControlWord::WardOffFail:
        Dialogs().Refusal(QStringLiteral("Navigation disable request is refused!"));
        break;
    case TControlWord::WardOnFail:
        Dialogs().Refusal(QStringLiteral("Navigation enable request is refused!"));
        break;
    case TControlWord::WardOff:
        SwitchSteps(true);
        break;
    case TControlWord::WardOn:
        SwitchSteps(false);
        break;
    case TControlWord::None:
        break;
    }
}
