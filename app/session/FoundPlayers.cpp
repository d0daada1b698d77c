#include "app/session/FoundPlayers.h"

#include "app/session/PeerText.h"

#include <algorithm>

namespace {

// DNS-SD names are at most 63 bytes; anything longer is not a name the daemon would give.
constexpr qsizetype MaxKeptName = 63;

constexpr auto BySince = [](const auto &a, const auto &b) {
    return a.second.Since < b.second.Since;
};

} // namespace

void TFoundPlayers::Found(const QString &record, const QString &name, const QString &address) {
    Gone(record); // a record found again may carry another name or address
    const QString kept = name.left(MaxKeptName);
    auto player = players_.find(kept);
    if (player == players_.end()) {
        if (players_.size() == MaxPlayers)
            players_.erase(std::min_element(players_.begin(), players_.end(), BySince));
        player = players_.emplace(kept, TPlayer{{}, ++arrivals_}).first;
    }
    if (player->second.Records.size() < MaxRecords)
        player->second.Records[record] = address;
}

void TFoundPlayers::Gone(const QString &record) {
    for (auto player = players_.begin(); player != players_.end(); ++player) {
        if (player->second.Records.erase(record) == 0)
            continue;
        if (player->second.Records.empty())
            players_.erase(player);
        return;
    }
}

std::vector<TConnectOffer> TFoundPlayers::Offers() const {
    std::vector<std::pair<QString, TPlayer>> fresh(players_.begin(), players_.end());
    std::sort(fresh.begin(), fresh.end(),
              [](const auto &a, const auto &b) { return BySince(b, a); });
    std::vector<TConnectOffer> offers;
    for (const auto &[name, player] : fresh) {
        // Every player has a record; an IPv6 address only where it has no IPv4 one.
        QString address = player.Records.begin()->second;
        for (const auto &record : player.Records)
            if (!record.second.contains(QLatin1Char(':')))
                address = record.second;
        offers.push_back(
            {ShownPeerText(name, MaxNameLength) + QStringLiteral(" \u2014 ") + address, address});
    }
    return offers;
}
