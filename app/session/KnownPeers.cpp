#include "app/session/KnownPeers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr qsizetype MaxName = 255;

bool IsFingerprint(const QString &text) {
    if (text.size() != 64)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    });
}

// A name is one field of its line: no blank or control character survives in it.
QString FieldText(const QString &name) {
    QString field = name.left(MaxName);
    for (QChar &c : field)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    return field;
}

} // namespace

TKnownPeers::TKnownPeers(QString file) : file_(std::move(file)) {
    Load();
}

void TKnownPeers::Load() {
    QFile in(file_);
    if (file_.isEmpty() || !in.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = in.read(MaxFileBytes).split('\n');
    for (const QByteArray &line : lines) {
        const QStringList fields = QString::fromUtf8(line).split(QLatin1Char(' '));
        if (fields.size() != 4 || !IsFingerprint(fields[0]) || Knows(fields[0]))
            continue;
        TEntry entry{fields[0], FieldText(fields[3]), QDateTime::fromString(fields[1], Qt::ISODate),
                     QDateTime::fromString(fields[2], Qt::ISODate)};
        if (entry.FirstSeen.isValid() && entry.LastSeen.isValid() && entries_.size() < MaxEntries)
            entries_.push_back(std::move(entry));
    }
}

bool TKnownPeers::Save() const {
    if (file_.isEmpty())
        return true;
    QByteArray text;
    for (const TEntry &entry : entries_)
        text += QStringLiteral("%1 %2 %3 %4\n")
                    .arg(entry.Fingerprint, entry.FirstSeen.toString(Qt::ISODate),
                         entry.LastSeen.toString(Qt::ISODate), entry.Name)
                    .toUtf8();
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QSaveFile out(file_);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner); // whom the user met
    return out.write(text) == text.size() && out.commit();
}

bool TKnownPeers::Knows(const QString &fingerprint) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const TEntry &entry) { return entry.Fingerprint == fingerprint; });
}

QString TKnownPeers::OtherKeyOf(const QString &name, const QString &fingerprint) const {
    const TEntry *latest = nullptr;
    for (const TEntry &entry : entries_)
        if (entry.Name == FieldText(name) && (!latest || entry.LastSeen > latest->LastSeen))
            latest = &entry;
    return latest && latest->Fingerprint != fingerprint ? latest->Fingerprint : QString();
}

bool TKnownPeers::Seen(const QString &fingerprint, const QString &name, const QDateTime &now) {
    if (!IsFingerprint(fingerprint))
        return false;
    const QDateTime when = now.toUTC();
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const TEntry &entry) { return entry.Fingerprint == fingerprint; });
    if (it == entries_.end()) {
        if (entries_.size() >= MaxEntries)
            entries_.erase(std::min_element(
                entries_.begin(), entries_.end(),
                [](const TEntry &a, const TEntry &b) { return a.LastSeen < b.LastSeen; }));
        entries_.push_back({fingerprint, FieldText(name), when, when});
    } else {
        it->Name = FieldText(name);
        it->LastSeen = when;
    }
    return Save();
}
