#include "app/session/GameEnd.h"

#include "board/core/KingAttack.h"
#include "board/core/Notation.h"

#include <algorithm>

TBoardEnd BoardEndOf(const TChessRules &board) {
    // A board of its own has no record, so a repeated position still shows its moves.
    TChessRules scratch;
    LoadPositionState(scratch, PositionStateOf(board));
    const std::string position = board.Position();
    TBoardEnd end;
    end.WhiteToMove = board.WhiteToMove();
    end.CanMove = scratch.CanMove();
    end.InCheck = KingAttacked(position.data(), board.WhiteToMove());
    end.Repetition = board.IsThreefoldPosition();
    end.BareKings = std::all_of(position.begin(), position.end(),
                                [](char c) { return c == ' ' || c == 'K' || c == 'k'; });
    return end;
}

TGameOutcome JudgeGameEnd(const TBoardEnd &board, TEndTrigger trigger) {
    if (!board.CanMove && board.InCheck)
        return {TGameEnd::Checkmate,
                board.WhiteToMove ? TGameResult::BlackWins : TGameResult::WhiteWins};
    if (!board.CanMove)
        return {TGameEnd::Stalemate, TGameResult::Draw};
    if (board.Repetition)
        return {TGameEnd::Repetition, TGameResult::Draw};
    if (board.BareKings)
        return {TGameEnd::BareKings, TGameResult::Draw};
    switch (trigger) {
    case TEndTrigger::WhiteResigned:
        return {TGameEnd::Resignation, TGameResult::BlackWins};
    case TEndTrigger::BlackResigned:
        return {TGameEnd::Resignation, TGameResult::WhiteWins};
    case TEndTrigger::WhiteFlagFell:
        return {TGameEnd::FlagFall, TGameResult::BlackWins};
    case TEndTrigger::BlackFlagFell:
        return {TGameEnd::FlagFall, TGameResult::WhiteWins};
    case TEndTrigger::DrawAgreed:
        return {TGameEnd::Agreement, TGameResult::Draw};
    case TEndTrigger::ConnectionLost:
    case TEndTrigger::Replaced:
        break;
    }
    return {TGameEnd::ConnectionLost, TGameResult::Unfinished};
}

TEndTrigger PeerResignTrigger(bool localPlaysWhite, bool localToMove, qint64 localSecondsLeft) {
    if (localToMove && localSecondsLeft <= FlagMarginSeconds)
        return localPlaysWhite ? TEndTrigger::WhiteFlagFell : TEndTrigger::BlackFlagFell;
    return localPlaysWhite ? TEndTrigger::BlackResigned : TEndTrigger::WhiteResigned;
}
