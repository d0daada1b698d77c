#include "app/Main.h"

#include "app/Dialogs.h"

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
    QGuiApplication::clipboard()->setText(QString::fromStdString(session_->GamePgnText()));
}

// The game is taken as it stands when asked: moves that arrive while the file box is open belong
// to a later copy.
void TMainForm::SaveGamePgn() {
    const std::string pgn = session_->GamePgnText();
    const QDate day = session_->GameDate();
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
