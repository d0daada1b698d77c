#include "app/PlayerName.h"

#include "app/session/PlayerLines.h"

#include <QSettings>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace {

const QString NameKey = QStringLiteral("player/name");

} // namespace

TPlayerName::TPlayerName(QString settingsFile, std::optional<QString> accountName)
    : file_(settingsFile.isEmpty() ? DefaultSettingsFile() : std::move(settingsFile)),
      account_(accountName ? PlayerNameText(*accountName) : AccountName()),
      chosen_(PlayerNameText(QSettings(file_, QSettings::IniFormat).value(NameKey).toString())) {}

// The application name is the window title, so the settings file is named here.
QString TPlayerName::DefaultSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Boardwick/boardwick.conf");
}

QString TPlayerName::Name() const {
    return chosen_.isEmpty() ? account_ : chosen_;
}

// The account's own name is not stored, so that the name follows the account's.
bool TPlayerName::SetName(const QString &name) {
    chosen_ = PlayerNameText(name);
    if (chosen_ == account_)
        chosen_.clear();
    QSettings settings(file_, QSettings::IniFormat);
    if (chosen_.isEmpty())
        settings.remove(NameKey);
    else
        settings.setValue(NameKey, chosen_);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString TPlayerName::AccountName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return PlayerNameText(qEnvironmentVariable("USER"));
    const QString login = QString::fromLocal8Bit(found->pw_name);
    QString full =
        QString::fromLocal8Bit(found->pw_gecos ? found->pw_gecos : "").section(',', 0, 0);
    if (!login.isEmpty())
        full.replace(QLatin1Char('&'), login.left(1).toUpper() + login.mid(1));
    full = PlayerNameText(full);
    return full.isEmpty() ? PlayerNameText(login) : full;
}
