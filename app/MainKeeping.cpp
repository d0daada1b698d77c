#include "app/Main.h"

#include "app/Dialogs.h"
#include "app/GameAutosave.h"
#include "app/StatusPanels.h"
#include "board/ChessBrd.h"
#include "board/core/Pgn.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSaveFile>

namespace {
QByteArray Bytes(const std::string &text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

// A game that ended while a move was being played is judged and kept once that move is complete,
// so its record holds the move and the position is the final one.
void TMainForm::KeepEndedGame() {
    if (!Game.Ending || Game.Outcome)
        return;
    if (Game.Hold == TBoardHold::MoveInProgress) {
        Game.KeepPending = true;
        return;
    }
    Game.KeepPending = false;
    Game.Outcome = JudgeGameEnd(BoardEndOf(*ChessBrd1), *Game.Ending);
    TGameAutosave autosave(autosaveDir_);
    if (!autosave.Append(GamePgnText()))
        StatusBar1->SetPanelText(1, QStringLiteral("Game not saved: ") + autosave.LastError());
    NotifyAway(GameEndNotice(Game.Outcome->How, Game.Outcome->Result, Game.PlayWhite));
}

std::string TMainForm::GamePgnText() const {
    const bool ended = !Game.Running() && Game.Outcome;
    const TGameResult result = ended ? Game.Outcome->Result : TGameResult::Unfinished;
    const QDate day = gameDate_.isValid() ? gameDate_ : QDate::currentDate();
    const std::string opponent = opponent_.isEmpty() ? std::string("?") : opponent_.toStdString();
    const TPgnTags tags =
        SessionPgnTags(Game.PlayWhite, opponent, opponent,
                       PgnDate(day.year(), day.month(), day.day()), Game.MinutesPerSide, result);
    // The record runs to its last entry; a game stepped back ends where the board stands, without
    // the moves taken back.
    TChessRules shown(static_cast<const TChessRules &>(*ChessBrd1));
    shown.LastMoveNumber = shown.CurrentMove();
    shown.LastWhiteToMove = shown.WhiteToMove();
    return GamePgn(shown, tags);
}

QMenu *TMainForm::CreateMoveListMenu() {
    QMenu *menu = Memo->createStandardContextMenu();
    menu->addSeparator();
    menu->addAction(QStringLiteral("Copy game as PGN"), this, &TMainForm::CopyGamePgn);
    menu->addAction(QStringLiteral("Save game as PGN..."), this, &TMainForm::SaveGamePgn);
    return menu;
}

void TMainForm::BuildMoveListMenu() {
    Memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu *menu = CreateMoveListMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(Memo->mapToGlobal(at));
    });
}

void TMainForm::CopyGamePgn() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(GamePgnText()));
}

// The game is taken as it stands when asked: moves that arrive while the file box is open belong
// to a later copy.
void TMainForm::SaveGamePgn() {
    const std::string pgn = GamePgnText();
    const QDate day = gameDate_.isValid() ? gameDate_ : QDate::currentDate();
    const QString suggested =
        QDir::home().filePath(QStringLiteral("boardwick-%1.pgn").arg(day.toString(Qt::ISODate)));
    QString name = Dialogs().SaveFileName(QStringLiteral("Save game as PGN"), suggested,
                                          QStringLiteral("PGN files (*.pgn)"));
    if (name.isEmpty())
        return;
    if (!name.endsWith(QStringLiteral(".pgn"), Qt::CaseInsensitive))
        name += QStringLiteral(".pgn");
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(Bytes(pgn)) != static_cast<qint64>(pgn.size()) || !file.commit())
        Dialogs().ErrorBox(QStringLiteral("The game could not be saved to %1: %2")
                               .arg(QDir::toNativeSeparators(name), file.errorString()));
}
