// Player names and draw offers between copies that both announced them.
#include "app/session/Session.h"

#include "app/session/Dialogs.h"
#include "app/session/PlayerLines.h"

namespace {

const QString DrawQuestion = QStringLiteral("Your opponent offers a draw. Agree?");

} // namespace

// ---- Names ----

void TSession::SetPlayerName(const QString &name) {
    const QString cleaned = PlayerNameText(name);
    if (cleaned == ownName_)
        return;
    ownName_ = cleaned;
    if (link_->PeerFeatures().Name) { // the peer has announced itself: it hears of the change
        nameSentOn_ = link_->Serial();
        link_->SendName(ownName_);
    }
}

// Once a connection: an announcement repeated by the peer is not answered again.
void TSession::NamesAnnounced() {
    if (nameSentOn_ != link_->Serial())
        SendName();
    ShowButtons();
}

void TSession::SendName() {
    if (!link_->PeerFeatures().Name || ownName_.isEmpty())
        return;
    nameSentOn_ = link_->Serial();
    link_->SendName(ownName_);
}

// The name takes the label's text and the address its tooltip; without one the label shows what
// it showed before.
void TSession::ShowPeerName(const std::string &sent) {
    peerName_ = PlayerNameText(DecodeChatText(sent));
    if (!peerName_.isEmpty())
        view_.ShowOpponent(peerName_, peerAddress_);
    else
        view_.ShowOpponent(opponent_);
}

bool TSession::RunPlayerLine(const TPeerLine &line) {
    if (line.Name) {
        ShowPeerName(*line.Name);
        return true;
    }
    if (line.Word == TControlWord::DrawOffer)
        AnswerDraw(line);
    else if (IsDrawWord(line.Word))
        DrawAnswered(line);
    return IsDrawWord(line.Word);
}

// ---- Draw offers ----

TDrawOffer TSession::DrawOfferNow() const {
    if (!Connected())
        return TDrawOffer::NoGame;
    if (!link_->PeerFeatures().Draw || !link_->PeerFeatures().Numbered)
        return TDrawOffer::Unsupported;
    if (!game_.Running() || game_.Number == 0) // a game started before the announcement came
        return TDrawOffer::NoGame;
    return DrawOffered() ? TDrawOffer::Waiting : TDrawOffer::Available;
}

bool TSession::DrawOffered() const {
    return drawOffered_ && drawOffered_->Connection == link_->Serial() &&
           drawOffered_->Game == game_.Serial && game_.Running();
}

// The count of half-moves names the position: a move played here but not yet sent would make the
// peer take the offer as lapsed, so none is offered while one is being played.
void TSession::OfferDraw() {
    if (DrawOfferNow() != TDrawOffer::Available || game_.Hold == TBoardHold::MoveInProgress)
        return;
    const auto moves = static_cast<std::uint32_t>(game_.MovesMade);
    drawOffered_ = TDrawOffered{link_->Serial(), game_.Serial, game_.Number, moves};
    link_->SendDraw(TControlWord::DrawOffer, game_.Number, moves);
    view_.AddMessage(QStringLiteral("You offered a draw."));
    ShowButtons();
}

// One offer at a time: another one while the first is being answered or waits is dropped.
bool TSession::DrawArrived(const TPeerLine &line) {
    return line.Word != TControlWord::DrawOffer ||
           !(drawAsking_ || link_->HasQueued(TControlWord::DrawOffer));
}

// An offer made before a move of this side reached the peer has lapsed with that move. The box
// goes when the game it was asked in does; the answer goes out before the game ends here.
void TSession::AnswerDraw(const TPeerLine &line) {
    if (!game_.Running() || line.Game != game_.Number)
        return;
    const auto moves = static_cast<std::uint32_t>(game_.MovesMade);
    if (line.Moves != moves) {
        if (line.Moves < moves)
            view_.AddMessage(
                QStringLiteral("Your opponent's draw offer crossed your move and lapsed."));
        return;
    }
    const auto connection = link_->Serial();
    const auto game = game_.Serial;
    const auto still = [&] {
        return connection == link_->Serial() && game == game_.Serial && game_.Running();
    };
    drawAsking_ = true;
    // Moves the offerer made after offering, read with the offer, are played while the box is
    // open: the game is drawn in the position both boards show.
    link_->PumpSoon();
    view_.NotifyAway(TNoticeKind::Question, QuestionNotice(DrawQuestion));
    const bool agreed = dialogs_.ConfirmWhile(DrawQuestion, still);
    drawAsking_ = false;
    if (!still())
        return;
    link_->SendDraw(agreed ? TControlWord::DrawAccept : TControlWord::DrawDecline, *line.Game,
                    line.Moves);
    if (!agreed)
        return;
    view_.AddMessage(QStringLiteral("The game is drawn by agreement."));
    EndGame(TEndTrigger::DrawAgreed);
}

// An answer counts only for the offer open here, named by its game and half-moves.
void TSession::DrawAnswered(const TPeerLine &line) {
    if (!DrawOffered() || line.Game != drawOffered_->Number || line.Moves != drawOffered_->Moves)
        return;
    drawOffered_.reset();
    if (line.Word == TControlWord::DrawDecline) {
        view_.AddMessage(QStringLiteral("Your opponent declined the draw."));
        ShowButtons();
        return;
    }
    view_.AddMessage(QStringLiteral("Your opponent accepted the draw: the game is drawn."));
    EndGame(TEndTrigger::DrawAgreed);
}

void TSession::DrawLapses() {
    if (!DrawOffered())
        return;
    drawOffered_.reset();
    view_.AddMessage(QStringLiteral("Your draw offer lapsed: your opponent moved."));
}
