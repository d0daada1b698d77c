#include "app/session/Session.h"

#include "app/session/ClockMath.h"
#include "app/session/Dialogs.h"
#include "board/core/ChessRules.h"
#include "board/core/Notation.h"
#include "board/core/Pgn.h"

#include "app/session/LocalAddress.h"
#include "app/session/PeerText.h"

#include <QElapsedTimer>
#include <QHostInfo>
#include <QTimer>

#include <utility>

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

TSession::TSession(TChessRules &board, TSessionView &view, TDialogs &dialogs,
                   std::unique_ptr<TPeerTransport> transport, TSessionSeams seams, QObject *parent)
    : QObject(parent), board_(board), view_(view), dialogs_(dialogs), seams_(std::move(seams)),
      link_(new TPeerLink(std::string(DefaultMessageTag), std::move(transport), *this, this)),
      timer_(new TPreciseTimer(this, seams_.Clock)), known_(seams_.KnownPeersFile) {
    timer_->Interval = 1000;
    timer_->OnTimer = [this] { Timer1Timer(); };
    WireBoard();
}

// The board outlives the session in the window; its events must not reach a session that is gone.
TSession::~TSession() {
    board_.OnCheck = board_.OnCastle = board_.OnMate = board_.OnLegalMove = nullptr;
    board_.OnStaleMate = nullptr;
    board_.OnPromotion = nullptr;
    board_.OnThreefoldPosition = board_.OnOnlyTwoKingsLeft = nullptr;
    timer_->OnTimer = nullptr;
    SayLeaving();
    closing_ = true;
    link_->Shutdown();
}

void TSession::WireBoard() {
    board_.OnCheck = [this](TObject *, Square, Square) {
        view_.ShowStatus(1, game_.MoverWhite ? QStringLiteral("Warning : White check...!!")
                                             : QStringLiteral("Warning : Black check...!!"));
    };
    board_.OnCastle = [this](TObject *, Square, Square) {
        view_.ShowStatus(1, game_.MoverWhite ? QStringLiteral("Warning : White casting...!!")
                                             : QStringLiteral("Warning : Black casting...!!"));
    };
    board_.OnMate = [this](TObject *, Square, Square) {
        dialogs_.Notice(game_.MoverWhite ? QStringLiteral("White check mate, Black loss!!!")
                                         : QStringLiteral("Black check mate ..., White loss!!!"));
    };
    // A drop on a legal square turns the held piece into a move in progress; moves by local drops
    // are counted so that only a drag that moved sends a line.
    board_.OnLegalMove = [this](TObject *, Square from, Square to) {
        game_.MoverWhite = !board_.WhiteToMove();
        ++game_.MovesMade;
        moveFrom_ = from;
        moveTo_ = to;
        if (game_.Hold == TBoardHold::PieceHeld) {
            game_.Hold = TBoardHold::MoveInProgress;
            game_.MoveConnection = link_->Serial();
            ++game_.LocalMovesMade;
            game_.LocalDraw = false;
        }
    };
    // The board keeps whatever piece a handler last set, so every promotion sets one.
    board_.OnPromotion = [this](TObject *, Square, Square, char &piece) {
        piece = static_cast<char>(PromotionFor() - 'A' + 'a');
    };
    board_.OnStaleMate = [this](TObject *, Square, Square) {
        DrawNotice(QStringLiteral("Stalemate, draw!!!"));
    };
    board_.OnThreefoldPosition = [this](TObject *) {
        DrawNotice(QStringLiteral("Threefold repetition, draw!!!"));
    };
    board_.OnOnlyTwoKingsLeft = [this](TObject *) {
        DrawNotice(QStringLiteral("Only two kings left, draw!!!"));
    };
}

bool TSession::Start() {
    UpdateMove();
    const bool listening = StartListening();
    view_.ShowOpponent(QStringLiteral("None"));
    ShowButtons();
    if (listening)
        view_.ShowStatus(2, seams_.ListeningText);
    return listening;
}

// The listener's connection goes without an end event, so a game in play is ended and kept here.
void TSession::Close() {
    SayLeaving();
    DropSuspension();
    if (game_.Running() || Suspended())
        EndGame(TEndTrigger::ConnectionLost);
    closing_ = true;
    link_->Dismiss();
    link_->Shutdown();
    ShowListening();
}

void TSession::ShowListening() {
    view_.ShowListening(link_->Listening());
}

bool TSession::StartListening() {
    try {
        link_->Listen();
        ShowListening();
        return true;
    } catch (const std::exception &failure) {
        // A taken port is reported; the window goes on, able to call out.
        dialogs_.ShowException(failure);
        return false;
    }
}

void TSession::SetClock(bool white, TClock clock) {
    (white ? white_ : black_) = clock;
    ShowClocks();
}

// ---- Connections ----

void TSession::ConnectOrDisconnect() {
    view_.ShowStatus(2, QString());
    if (Suspended())
        return EndSuspension({}); // Disconnect pressed while the game waits for its peer
    if (!Connected()) {
        link_->StopCalling(); // a call still under way is given up for the new one
        ShowListening();
        QString address = connectAddress_;
        const bool confirmed =
            dialogs_.ConnectQuery(QStringLiteral("Computer to connect to"),
                                  QStringLiteral("Address Name:"), address, 255, seams_.Offers);
        // A call that came in or a window that closed while the box was open wins over the box.
        if (!confirmed || Connected() || closing_)
            return;
        connectAddress_ = address;
        if (!address.isEmpty())
            link_->Call(address);
        return;
    }
    SayLeaving();
    link_->HangUp();
}

// A new connection starts with no game: nothing of an earlier one carries over but the board's
// picture and the step switch.
void TSession::PeerConnected(TPeerRole role, const QString &address) {
    if (Suspended())
        return RejoinConnected();
    resume_ = {};
    resume_.LastHeard = resume_.LastBeat = Now();
    const bool accepted = role == TPeerRole::Accepted;
    if (accepted)
        view_.ClearChatInput();
    game_.Phase = TGamePhase::None;
    game_.Number = 0;
    game_.Asked = {};
    peerGames_.clear();
    game_.StepAsksOn = true; // whatever the switch says, as every connection starts
    opponent_ = peerAddress_ = address;
    peerName_.clear();
    view_.ShowOpponent(accepted ? address : QString());
    view_.ShowStatus(2, QString());
    ShowButtons();
    if (accepted)
        return;
    // A slow name service must not hold the window up: the name is shown when it comes, and only
    // while this same connection lasts.
    const auto connection = link_->Serial();
    auto answer = [this, connection](const QString &name) {
        if (connection != link_->Serial())
            return;
        if (!name.isEmpty())
            opponent_ = name;
        if (peerName_.isEmpty()) // the name the peer gave itself wins
            view_.ShowOpponent(name);
    };
    LookUpName(address, std::move(answer));
}

void TSession::LookUpName(const QString &address, std::function<void(const QString &)> answer) {
    if (seams_.LookUpName) {
        seams_.LookUpName(address, std::move(answer));
        return;
    }
    // The session is the context: an answer that comes after it is gone is dropped.
    QHostInfo::lookupHost(
        address, this, [address, answer = std::move(answer)](const QHostInfo &info) {
            const bool named = info.error() == QHostInfo::NoError && info.hostName() != address;
            answer(named ? info.hostName() : QString());
        });
}

qint64 TSession::Now() const {
    if (seams_.Clock)
        return seams_.Clock();
    static QElapsedTimer steady;
    if (!steady.isValid())
        steady.start();
    return steady.elapsed();
}

// While a game waits for its peer, every caller is let in to name the game or be turned away.
bool TSession::Welcome(const QString &address) {
    if (Suspended())
        return true;
    return seams_.IsLocal ? seams_.IsLocal(address)
                          : IsLocalCaller(address, SystemInterfaceAddresses());
}

// A caller from outside is asked about once whatever runs now has returned, with its name when the
// reverse look-up gives one; the wait for consent counts from the call.
void TSession::StrangerCalling(const QString &address) {
    strangerSince_ = Now();
    const auto stranger = link_->StrangerSerial();
    // Let go in time even when the look-up never answers and no box opens.
    QTimer::singleShot(StrangerWaitMs, this, [this, stranger] {
        if (link_->HoldsStranger(stranger))
            link_->Dismiss();
    });
    strangerAddress_ = address;
    LookUpName(address, [this, stranger](const QString &name) {
        if (!link_->HoldsStranger(stranger))
            return;
        strangerName_ = name;
        strangerLookedUp_ = stranger;
        ConsiderStranger(stranger);
    });
}

void TSession::AskAboutStranger(std::uint64_t stranger, const QString &address,
                                const QString &name) {
    const auto waiting = [&] {
        return link_->HoldsStranger(stranger) && !closing_ &&
               Now() - strangerSince_ < StrangerWaitMs;
    };
    if (!waiting())
        return link_->HoldsStranger(stranger) ? link_->Dismiss() : void();
    const QString who = name.isEmpty() ? address : QStringLiteral("%1 (%2)").arg(name, address);
    const bool yes = dialogs_.ConfirmWhile(
        QStringLiteral("%1 calls from outside your network and wants to play. Accept?").arg(who),
        waiting);
    if (!link_->HoldsStranger(stranger))
        return;
    if (yes && waiting())
        link_->Admit();
    else
        link_->Dismiss();
}

void TSession::PeerEnded() {
    if (!SuspendGame())
        ConnectionClosed();
}

void TSession::CallFailed() {
    if (Suspended())
        return NextCallLater();
    view_.ShowStatus(2, QStringLiteral("Call error ..."));
}

// Back to waiting: whichever side closed, the game ends without a line sent and the listener
// is on again (it was off while calling out).
void TSession::ConnectionClosed() {
    EndGame(TEndTrigger::ConnectionLost);
    game_.Phase = TGamePhase::None;
    if (!closing_ && StartListening())
        view_.ShowStatus(2, seams_.ListeningText);
    view_.ShowOpponent(QStringLiteral("None"));
    view_.ShowPrivacy({});
    ShowButtons();
}

// ---- Received lines ----

// A request of a kind whose question is open or waiting gets its refusal at once: a peer cannot
// pile up questions.
bool TSession::PeerArrived(const TPeerLine &line) {
    resume_.LastHeard = Now();
    if (!ResumeArrived(line))
        return false;
    if (line.Channel != TPeerChannel::Control)
        return true;
    if (!DrawArrived(line))
        return false;
    const auto kind = AskKindOf(line.Word);
    if (!kind || !(game_.Asking[static_cast<std::size_t>(*kind)] || link_->HasQueued(line.Word)))
        return true;
    link_->SendControl(RefusalOf(*kind));
    return false;
}

// A connection that has not yet named the suspended game gets nothing done.
bool TSession::MayRun(const TPeerLine &line) {
    return !Suspended() && MayDispatch(line, game_.Hold);
}

void TSession::PeerLine(const TPeerLine &line) {
    // The held piece goes back before the line acts; its end of drag runs first.
    if (game_.Hold == TBoardHold::PieceHeld && InterruptsDrag(line))
        view_.CancelDrag();
    switch (line.Channel) {
    case TPeerChannel::Chat: {
        // One received line shows as one line that cannot pose as anything else.
        const QString text = DecodeChatText(line.Payload);
        view_.AddMessage(ShownPeerText(text));
        view_.NotifyAway(TNoticeKind::Chat, ChatNotice(text));
        break;
    }
    case TPeerChannel::Move:
        DeliveredMove(PeerMove(line));
        break;
    case TPeerChannel::Control:
        TakeGameShare(line);
        if (line.Promotion)
            game_.PeerPromotion = *line.Promotion;
        RunControl(line);
        if (line.NewTime) {
            timePerSide_ = *line.NewTime;
            white_.Minutes = black_.Minutes = *line.NewTime;
        }
        break;
    case TPeerChannel::None:
        break;
    }
}

bool TSession::PeerMove(const TPeerLine &line) {
    // A Promote line names the piece of the next move line only, whatever that line does.
    const char promotion = std::exchange(game_.PeerPromotion, 0);
    const TMoveText &move = line.Move;
    if (!move.WellFormed)
        return false;
    bool made = false;
    // Only the peer's side may be moved from the wire, and only once a game has been started.
    const bool peersTurn = board_.WhiteToMove() != game_.PlayWhite;
    if (move.HasTo && peersTurn && game_.Phase != TGamePhase::None &&
        game_.Hold == TBoardHold::Free) {
        const Square from = TChessRules::SquareAt(move.FromFile, move.FromRank);
        const Square to = TChessRules::SquareAt(move.ToFile, move.ToRank);
        const bool promoting = IsPromotionMove(board_, from, to);
        game_.Hold = TBoardHold::MoveInProgress;
        game_.PeerPromotion = promotion; // read as the board promotes
        made = board_.MakeMove(from, to);
        game_.PeerPromotion = 0;
        Release();
        if (made)
            view_.NotifyAway(
                TNoticeKind::OpponentMove,
                OpponentMoveNotice(QString::fromStdString(line.Payload),
                                   promoting ? (promotion != 0 ? promotion : 'Q') : 0));
    }
    if (made)
        DrawLapses(); // the offered side has moved
    UpdateMove();
    CheckMoves();
    return made;
}

void TSession::RunControl(const TPeerLine &line) {
    if (RunPlayerLine(line))
        return;
    const TControlWord word = line.Word;
    switch (word) {
    case TControlWord::Resign: {
        if (line.Game && *line.Game != game_.Number)
            break; // a game already replaced
        const bool white = board_.WhiteToMove();
        const TClock own = game_.PlayWhite ? white_ : black_;
        EndGame(PeerResignTrigger(game_.PlayWhite, white == game_.PlayWhite,
                                  qint64{own.Minutes} * 60 + own.Seconds));
        break;
    }
    case TControlWord::New:
        ReceivedNew(line);
        break;
    case TControlWord::None:
        break;
    default:
        if (const auto kind = AskKindOf(word)) {
            AnswerRequest(*kind);
            break;
        }
        // An answer acts only while its question is open on this connection, and closes it.
        const auto granted = GrantedKindOf(word);
        const auto refused = RefusedKindOf(word);
        const auto kind = granted ? granted : refused;
        if (!kind || game_.Asked[static_cast<std::size_t>(*kind)] == 0)
            break;
        --game_.Asked[static_cast<std::size_t>(*kind)];
        if (refused)
            ShowRefusal(*refused);
        else if (*kind == TAskKind::Back || *kind == TAskKind::Forward)
            StepBoard(*kind == TAskKind::Back);
        else
            SwitchSteps(*kind == TAskKind::WardOff);
        break;
    }
}

// ---- The game ----

// The board takes input only on the local player's turn in a running game, and the clock runs only
// while a game does.
void TSession::CheckMoves() {
    const bool whiteToMove = board_.WhiteToMove();
    view_.ShowTurn(whiteToMove, game_.Running() && whiteToMove == game_.PlayWhite);
    if (game_.Running() && !timer_->Enabled())
        timer_->SetEnabled(true);
    ShowButtons();
}

void TSession::UpdateMove() {
    auto lines = board_.GetMoveList();
    // The board's last line is the slot of the half-move still to be played.
    if (!lines.empty())
        lines.pop_back();
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const auto &line : lines)
        text << QString::fromStdString(line);
    view_.ShowMoveList(text);
}

void TSession::ShowClocks() {
    view_.ShowClock(true, ClockText(white_.Minutes, white_.Seconds));
    view_.ShowClock(false, ClockText(black_.Minutes, black_.Seconds));
}

void TSession::ShowButtons() {
    TSessionButtons buttons;
    // A suspended game keeps its seat: Disconnect gives it up.
    const bool playing = Connected() && !Suspended();
    buttons.NewGame = !game_.Running() && !Suspended();
    buttons.Resign = game_.Running();
    buttons.Connected = Connected() || Suspended();
    buttons.StepSwitch = playing;
    buttons.StepAsks = playing && game_.StepAsksOn;
    buttons.StepsOff = game_.StepsOff;
    buttons.Draw = DrawOfferNow();
    view_.ShowButtons(buttons);
}

// The program that starts a game plays White and the one that receives "New" Black, unless the
// two New Games may have crossed (see ColoursByRole).
void TSession::NewGame() {
    if (!Connected() || Suspended())
        return;
    if (link_->PeerFeatures().Numbered) {
        game_.StartedHere = true;
        link_->SendNew(++game_.Number, timePerSide_);
        StartGame(true);
        return;
    }
    const bool playWhite = ColoursByRole(game_) ? IsServer() : true;
    link_->SendTime(timePerSide_);
    game_.Number = 0; // a game the peer may start without numbers (see ReceivedNew)
    game_.StartedHere = true;
    StartGame(playWhite);
    link_->SendControl(TControlWord::New);
}

void TSession::ReceivedNew(const TPeerLine &line) {
    peerGames_.push_back(Now());
    if (peerGames_.size() > MaxPeerGamesPerMinute) {
        peerGames_.pop_front();
        if (peerGames_.back() - peerGames_.front() < 60000)
            return link_->CutOffSoon();
    }
    if (line.Game) {
        // Both started this game: the side that accepted the call keeps its own and the other
        // takes it as Black, whatever moves either made meanwhile. An older number is a game the
        // peer started before it saw this side's newer one. A game started here without a number
        // (before the peer's announcement came) is judged as between older copies.
        const bool crossed = game_.StartedHere && (game_.Number == 0 ? ColoursByRole(game_)
                                                                     : *line.Game == game_.Number);
        if (*line.Game < game_.Number || (!crossed && *line.Game == game_.Number) ||
            (crossed && IsServer()))
            return;
        game_.Number = *line.Game;
        game_.StartedHere = false;
        timePerSide_ = line.Minutes;
        StartGame(false);
        return;
    }
    // A New without a number: the peer does not number games, or did not know yet that this
    // side does; the game has no number on either side.
    game_.Number = 0;
    game_.StartedHere = false;
    const bool crossed = ColoursByRole(game_);
    // Crossed New Games: the listener's time holds on both sides, as its colour does.
    if (crossed && IsServer())
        timePerSide_ = game_.MinutesPerSide;
    StartGame(crossed ? IsServer() : false);
}

void TSession::StartGame(bool playWhite) {
    // A held piece belongs to the game being replaced, which is kept as it stands.
    view_.CancelDrag();
    if (game_.Running()) {
        game_.Phase = TGamePhase::Ended;
        game_.Ending = TEndTrigger::Replaced;
        KeepEndedGame();
    }
    game_.Phase = TGamePhase::Running;
    game_.PlayWhite = playWhite;
    game_.MovesMade = 0;
    game_.LocalDraw = false;
    game_.LocalMovesSent = game_.LocalMovesMade;
    game_.MinutesPerSide = timePerSide_;
    game_.PeerPromotion = game_.LocalPromotion = 0;
    game_.Ending.reset();
    game_.Outcome.reset();
    game_.KeepPending = false;
    gameDate_ = QDate::currentDate();
    ++game_.Serial;
    board_.ResetGame();
    board_.SetPosition(TChessRules::StartPosition);
    white_ = black_ = TClock{timePerSide_, 0};
    board_.FirstMoveNumber = 1;
    board_.LastMoveNumber = 0;
    UpdateMove();
    ShowClocks();
    CheckMoves();
    ShareGameIdentity();
}

void TSession::PieceTaken() {
    // The held piece keeps received lines that would change the board waiting until it is let go.
    if (game_.Hold == TBoardHold::Free)
        game_.Hold = TBoardHold::PieceHeld;
}

void TSession::DragEnded() {
    const bool heldHere = game_.Hold == TBoardHold::PieceHeld;
    const bool moved = game_.LocalMovesMade != game_.LocalMovesSent;
    UpdateMove();
    CheckMoves();
    // A drag that put the piece back or was cancelled made no move: nothing to tell the peer.
    if (moved)
        LocalMoveDone();
    if (heldHere || moved)
        Release();
}

bool TSession::PlayLocalMove(Square from, Square to) {
    if (!game_.Running() || board_.WhiteToMove() != game_.PlayWhite ||
        game_.Hold != TBoardHold::Free)
        return false;
    PieceTaken();
    const bool made = board_.MakeMove(from, to);
    DragEnded();
    return made;
}

// The board turns the side to move before the promotion chooser opens; while the mover chooses,
// the turn and the clock are still the mover's.
bool TSession::ClockOfWhite() const {
    return choosing_ ? game_.MoverWhite : board_.WhiteToMove();
}

bool TSession::LocalMoveInProgress() const {
    return game_.Hold == TBoardHold::MoveInProgress && game_.LocalMovesMade != game_.LocalMovesSent;
}

// The local move is on the board: it goes to the peer, then the game may end with it. A box opened
// inside the move (the promotion chooser, a notice) may have outlived its connection; the next
// peer is not sent a move of the old game.
void TSession::LocalMoveDone() {
    game_.LocalMovesSent = game_.LocalMovesMade;
    const char piece = std::exchange(game_.LocalPromotion, 0);
    resume_.LastPromotion = piece;
    if (game_.MoveConnection == link_->Serial()) {
        if (piece != 0)
            link_->SendPromotion(piece); // just before its move line
        link_->SendMove(TChessRules::SquareName(moveFrom_) + "-" +
                        TChessRules::SquareName(moveTo_));
    }
    if (!game_.Running())
        return;
    if (game_.LocalDraw) {
        Resign();
        return;
    }
    if (!board_.CanMove()) {
        const bool blackStuck = !board_.WhiteToMove();
        Resign();
        dialogs_.Notice(blackStuck ? QStringLiteral("Black can not move, White Win!!!")
                                   : QStringLiteral("White can not move ..., Black Win!!!"));
    }
}

// The board is free again: lines that waited for it run now.
void TSession::Release() {
    game_.Hold = TBoardHold::Free;
    if (game_.KeepPending)
        KeepEndedGame();
    link_->PumpSoon();
}

void TSession::Resign() {
    ResignWith(game_.PlayWhite ? TEndTrigger::WhiteResigned : TEndTrigger::BlackResigned);
}

// Every game this program ends, whatever ended it, is told to the peer as Resign.
void TSession::ResignWith(TEndTrigger trigger) {
    EndGame(trigger);
    if (game_.Number > 0)
        link_->SendResign(game_.Number);
    else
        link_->SendControl(TControlWord::Resign);
}

void TSession::EndGame(TEndTrigger trigger) {
    const bool ending = game_.Running() || Suspended();
    if (ending) {
        game_.Phase = TGamePhase::Ended;
        game_.Ending = trigger;
    }
    drawOffered_.reset(); // a game resumed by a step starts without it
    timer_->SetEnabled(false);
    // The game has ended first, so the cancelled drag's end changes nothing.
    view_.CancelDrag();
    view_.ShowTurn(board_.WhiteToMove(), false);
    ShowButtons();
    if (ending)
        KeepEndedGame();
}

// Stalemate, threefold repetition and bare kings end the game as a draw; the mover's program
// resigns it once its move has gone out.
void TSession::DrawNotice(const QString &text) {
    if (LocalMoveInProgress())
        game_.LocalDraw = true;
    dialogs_.Notice(text);
}

// The piece a pawn becomes as the board promotes it. A local move asks the player when the peer
// understands the choice; a move from the wire takes the piece its Promote line named. Anything
// else is a queen, as between copies without the choice.
char TSession::PromotionFor() {
    if (!LocalMoveInProgress())
        return game_.PeerPromotion != 0 ? game_.PeerPromotion : 'Q';
    game_.LocalPromotion = 0;
    if (!link_->PeerFeatures().Promotion)
        return 'Q';
    choosing_ = true;
    char piece = dialogs_.ChoosePromotion(game_.MoverWhite);
    choosing_ = false;
    if (piece != 'R' && piece != 'B' && piece != 'N')
        piece = 'Q';
    game_.LocalPromotion = piece;
    return piece;
}

// ---- Clocks, chat and stepping ----

void TSession::Timer1Timer() {
    if (!game_.Running()) {
        timer_->SetEnabled(false); // a tick that was already due when the game ended
        return;
    }
    const bool white = ClockOfWhite();
    TClock &clock = white ? white_ : black_;
    if (TickClock(clock.Minutes, clock.Seconds)) {
        ResignWith(white ? TEndTrigger::WhiteFlagFell : TEndTrigger::BlackFlagFell);
        dialogs_.Notice(white ? QStringLiteral("Time out ..., White loss!!!")
                              : QStringLiteral("Time out ..., Black loss!!!"));
        return;
    }
    // Only the running clock is redrawn; a time line shows on the other at its next tick.
    view_.ShowClock(white, ClockText(clock.Minutes, clock.Seconds));
}

void TSession::Chat(const QString &text) {
    // Nothing goes to a caller not yet known as the peer; the text stays in the box to send later.
    if (Suspended())
        return view_.AddMessage(QStringLiteral("Not sent: the connection is lost."));
    link_->SendChat(text);
    view_.AddMessage(QLatin1Char('>') + text);
    view_.ClearChatInput();
}

void TSession::AskStep(bool back) {
    Ask(back ? TAskKind::Back : TAskKind::Forward);
}

void TSession::AskStepSwitch() {
    Ask(game_.StepsOff ? TAskKind::WardOn : TAskKind::WardOff);
}

void TSession::Ask(TAskKind kind) {
    if (!Connected() || Suspended())
        return;
    ++game_.Asked[static_cast<std::size_t>(kind)];
    link_->SendControl(AskOf(kind));
}

// One question of a kind at a time; a repeat is refused at once. The answer goes out before the
// local change, so both programs change alike, and only to the connection that asked, in the game
// it asked about.
void TSession::AnswerRequest(TAskKind kind) {
    bool &asking = game_.Asking[static_cast<std::size_t>(kind)];
    if (asking) {
        link_->SendControl(RefusalOf(kind));
        return;
    }
    const auto connection = link_->Serial();
    const auto game = game_.Serial;
    asking = true;
    view_.NotifyAway(TNoticeKind::Question, QuestionNotice(QuestionText(kind)));
    // The box goes when the peer that asked does.
    const bool agreed =
        dialogs_.ConfirmWhile(QuestionText(kind), [&] { return connection == link_->Serial(); });
    asking = false;
    if (connection != link_->Serial())
        return;
    // A new game while the question was open: the step it asked for belongs to the old one.
    const bool stale =
        game != game_.Serial && (kind == TAskKind::Back || kind == TAskKind::Forward);
    if (!agreed || stale) {
        link_->SendControl(RefusalOf(kind));
        return;
    }
    link_->SendControl(GrantOf(kind));
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
void TSession::ShowRefusal(TAskKind kind) {
    bool &showing = game_.Refusing[static_cast<std::size_t>(kind)];
    if (showing)
        return;
    showing = true;
    dialogs_.Refusal(RefusalText(kind));
    showing = false;
}

// A granted step resumes an ended game: the clock of the side to move runs again. Before the
// first game of a connection there is no game to resume.
void TSession::StepBoard(bool back) {
    if (back)
        board_.MoveBack();
    else
        board_.MoveForward();
    if (game_.Phase == TGamePhase::Ended) {
        game_.Phase = TGamePhase::Running;
        game_.Ending.reset(); // its next end is kept again
        game_.Outcome.reset();
    }
    UpdateMove();
    CheckMoves();
}

void TSession::SwitchSteps(bool off) {
    game_.StepsOff = off;
    game_.StepAsksOn = !off;
    ShowButtons();
}

// ---- Keeping the game ----

// A game that ended while a move was being played is judged and kept once that move is complete,
// so its record holds the move and the position is the final one.
void TSession::KeepEndedGame() {
    if (!game_.Ending || game_.Outcome)
        return;
    if (game_.Hold == TBoardHold::MoveInProgress) {
        game_.KeepPending = true;
        return;
    }
    game_.KeepPending = false;
    game_.Outcome = JudgeGameEnd(BoardEndOf(board_), *game_.Ending);
    QString reason;
    // A game without a move is nothing to keep, which also spares the disk a burst of them.
    if (game_.MovesMade > 0 && seams_.KeepGame && !seams_.KeepGame(GamePgnText(), reason))
        view_.ShowStatus(1, QStringLiteral("Game not saved: ") + reason);
    if (*game_.Ending != TEndTrigger::Replaced)
        view_.NotifyAway(TNoticeKind::GameEnd,
                         GameEndNotice(game_.Outcome->How, game_.Outcome->Result, game_.PlayWhite));
}

std::string TSession::GamePgnText() const {
    const bool ended = !game_.Running() && game_.Outcome;
    const TGameResult result = ended ? game_.Outcome->Result : TGameResult::Unfinished;
    const QDate day = GameDate();
    const std::string opponent = opponent_.isEmpty() ? std::string("?") : opponent_.toStdString();
    TPgnTags tags = SessionPgnTags(
        game_.PlayWhite, peerName_.isEmpty() ? opponent : peerName_.toStdString(), opponent,
        PgnDate(day.year(), day.month(), day.day()), game_.MinutesPerSide, result);
    if (!ownName_.isEmpty())
        (game_.PlayWhite ? tags.White : tags.Black) = ownName_.toStdString();
    // The record runs to its last entry; a game stepped back ends where the board stands, without
    // the moves taken back.
    TChessRules shown(board_);
    shown.LastMoveNumber = shown.CurrentMove();
    shown.LastWhiteToMove = shown.WhiteToMove();
    return GamePgn(shown, tags);
}
