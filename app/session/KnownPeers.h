#pragma once
#include <QDateTime>
#include <QString>

#include <vector>

// Opponents met over an encrypted link, by the fingerprint of their key, in the manner of SSH's
// known hosts: the name or address last used for each, and when it was first and last seen. Kept
// in one small text file, a line per key; lines that cannot be read are skipped.
class TKnownPeers {
  public:
    static constexpr std::size_t MaxEntries = 1000; // past this the longest unseen go
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    struct TEntry {
        QString Fingerprint, Name;
        QDateTime FirstSeen, LastSeen;
    };

    // file: where they are kept; empty: in memory only.
    explicit TKnownPeers(QString file = {});

    bool Knows(const QString &fingerprint) const;
    // The key last seen under name when it is not fingerprint; empty otherwise.
    QString OtherKeyOf(const QString &name, const QString &fingerprint) const;
    // Records a meeting now and keeps the file; false when the file could not be written.
    bool Seen(const QString &fingerprint, const QString &name, const QDateTime &now);
    const std::vector<TEntry> &Entries() const { return entries_; }

  private:
    void Load();
    bool Save() const;

    QString file_;
    std::vector<TEntry> entries_;
};
