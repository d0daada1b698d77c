#pragma once
#include <QString>

#include <optional>

// The name this player is known by: the one chosen and remembered, else the account's full name,
// else the login name. Names are kept as PlayerNameText gives them.
class TPlayerName {
  public:
    // settingsFile: where the chosen name is remembered; empty: DefaultSettingsFile().
    // accountName: the name when none is chosen; nullopt: AccountName().
    explicit TPlayerName(QString settingsFile = {}, std::optional<QString> accountName = {});

    QString Name() const;
    // Takes a chosen name and remembers it; an empty one goes back to the account's. False when
    // it could not be written (it holds for this run all the same).
    bool SetName(const QString &name);

    // The account's full name (the first field of its GECOS entry, "&" standing for the login
    // name capitalised), else the login name.
    static QString AccountName();
    // The program's settings, in the user's configuration folder.
    static QString DefaultSettingsFile();

  private:
    QString file_;
    QString account_;
    QString chosen_; // empty: none chosen
};
