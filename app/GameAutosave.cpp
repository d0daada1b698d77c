#include "app/GameAutosave.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace {

constexpr int LockWaitMs = 1000;

} // namespace

TGameAutosave::TGameAutosave(QString folder) : folder_(std::move(folder)) {}

// The application name is the window title ("Boardwick ver 1.00"), so the program's data folder
// is named here rather than taken from it.
QString TGameAutosave::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Boardwick/games");
}

QString TGameAutosave::DayFile(QDate day) const {
    return QDir(folder_).filePath(day.toString(QStringLiteral("yyyy-MM-dd")) +
                                  QStringLiteral(".pgn"));
}

bool TGameAutosave::Fail(const QString &reason) {
    lastError_ = reason;
    return false;
}

bool TGameAutosave::Append(const std::string &pgn, QDate day) {
    lastError_.clear();
    if (folder_.isEmpty() || !QDir().mkpath(folder_))
        return Fail(QStringLiteral("Cannot create the folder %1").arg(folder_));
    // Read, add and replace must not interleave with another copy doing the same.
    QLockFile lock(QDir(folder_).filePath(QStringLiteral(".autosave.lock")));
    if (!lock.tryLock(LockWaitMs))
        return Fail(QStringLiteral("The folder %1 is locked by another copy").arg(folder_));

    const QString path = DayFile(day);
    QByteArray content;
    QFile old(path);
    if (old.exists()) {
        // An old file that cannot be read whole is never replaced: its games would be lost.
        if (!old.open(QIODevice::ReadOnly))
            return Fail(QStringLiteral("Cannot read %1: %2").arg(path, old.errorString()));
        content = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return Fail(QStringLiteral("Cannot read %1: %2").arg(path, old.errorString()));
        old.close();
    }
    // Games are separated by one empty line, whatever the old file ended with.
    if (!content.isEmpty() && !content.endsWith('\n'))
        content += '\n';
    if (!content.isEmpty() && !content.endsWith("\n\n"))
        content += '\n';
    content += QByteArray::fromStdString(pgn);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Fail(QStringLiteral("Cannot write %1: %2").arg(path, reason));
    }
    if (!file.commit())
        return Fail(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    return true;
}
