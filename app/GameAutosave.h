#pragma once
#include <QDate>
#include <QString>

#include <string>

// Keeps every finished game: appends its PGN text to one file per day, <folder>/YYYY-MM-DD.pgn.
// A game is added with one write to the end of the day file and flushed to the disk; a write
// that falls short is cut back off, so the file never keeps half a game.
class TGameAutosave {
  public:
    // folder: where the day files go (created when needed); the program passes DefaultFolder().
    explicit TGameAutosave(QString folder);

    // The user's data folder for Boardwick, plus "/games" (~/.local/share/Boardwick/games).
    static QString DefaultFolder();

    const QString &Folder() const { return folder_; }
    QString DayFile(QDate day) const;

    // Appends one game to the file of day. False when it could not be kept; LastError() then
    // says why and the file keeps its old content. Copies of the program that share the folder
    // take turns through a lock file (waiting at most a second for each other).
    bool Append(const std::string &pgn, QDate day = QDate::currentDate());
    const QString &LastError() const { return lastError_; }

  private:
    bool Fail(const QString &reason);

    QString folder_;
    QString lastError_;
};
