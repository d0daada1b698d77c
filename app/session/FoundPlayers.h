#pragma once
// The players found on the local network, as the Connect box offers them. Their names come from
// anyone on the network, so the list is bounded and a name is shown only as one line of plain text.
#include "app/session/Dialogs.h"

#include <QString>

#include <map>
#include <vector>

class TFoundPlayers {
  public:
    static constexpr std::size_t MaxPlayers = 32; // a newer player pushes out the stalest
    static constexpr std::size_t MaxRecords = 8;  // ways to one player (interfaces, protocols)
    static constexpr int MaxNameLength = 40;      // shown; longer names end in " …"

    // A record of a player (one name on one interface and protocol), by the finder's key for it.
    void Found(const QString &record, const QString &name, const QString &address);
    // A player goes with its last record.
    void Gone(const QString &record);
    void Clear() { players_.clear(); }
    // Freshest first, as "name — address"; an IPv4 address where a player has one.
    std::vector<TConnectOffer> Offers() const;

  private:
    struct TPlayer {
        std::map<QString, QString> Records; // key → address
        quint64 Since = 0;                  // order of arrival
    };
    std::map<QString, TPlayer> players_; // by name
    quint64 arrivals_ = 0;
};
