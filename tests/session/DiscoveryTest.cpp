// Players found on the local network, as the Connect box offers them.
#include "app/session/FoundPlayers.h"
#include "tests/session/InProcess.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {
using namespace inproc;

// ops: "+key name address" finds a record, "-key" loses it, "*n" finds players p1..pn; '|' between.
struct OffersRow {
    const char *name, *ops;
    std::size_t count;
    const char *first; // the labels shown first, '|' between
};

class Offers : public ::testing::TestWithParam<OffersRow> {};

TEST_P(Offers, FreshestFirstBoundedAndPlain) {
    TFoundPlayers players;
    for (const QString &op : QString::fromUtf8(GetParam().ops).split(QLatin1Char('|'))) {
        const QStringList words = op.mid(1).split(QLatin1Char(' '));
        if (op.startsWith(QLatin1Char('+')))
            players.Found(words[0], words[1], words[2]);
        else if (op.startsWith(QLatin1Char('-')))
            players.Gone(words[0]);
        else
            for (int i = 1; i <= words[0].toInt(); ++i)
                players.Found(QString::number(i), QStringLiteral("p%1").arg(i),
                              QStringLiteral("192.0.2.%1").arg(i));
    }
    QStringList labels;
    for (const TConnectOffer &offer : players.Offers())
        labels << offer.Label;
    EXPECT_EQ(labels.size(), GetParam().count);
    EXPECT_TRUE(labels.join(QLatin1Char('|')).startsWith(QString::fromUtf8(GetParam().first)))
        << labels.join(QLatin1Char('|')).toStdString();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Offers, ::testing::Values(
    OffersRow{"FreshestFirst", "+a Anna 192.0.2.1|+b Ben 192.0.2.2", 2, "Ben — 192.0.2.2|Anna — 192.0.2.1"},
    OffersRow{"LeaverLeavesTheList", "+a Anna 192.0.2.1|+b Ben 192.0.2.2|-a|-zz", 1, "Ben — 192.0.2.2"},
    OffersRow{"OneEntryWithItsIpv4Address", "+a6 Anna fe80::1%eth0|+a4 Anna 192.0.2.1|+b Ben 192.0.2.2", 2, "Ben — 192.0.2.2|Anna — 192.0.2.1"},
    OffersRow{"StaysWhileARecordRemains", "+a6 Anna fe80::1%eth0|+a4 Anna 192.0.2.1|-a4", 1, "Anna — fe80::1%eth0"},
    OffersRow{"MovedRecordTakesItsNewAddress", "+a Anna 192.0.2.1|+a Anna 192.0.2.7", 1, "Anna — 192.0.2.7"},
    OffersRow{"HostileNameIsPlainOneLineText", "+a <b>Eve</b>\t\u202eevil\u202c\n 192.0.2.6", 1, "<b>Eve</b> evil  — 192.0.2.6"},
    OffersRow{"LongNameIsCut", "+a xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx 192.0.2.6", 1, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx … — 192.0.2.6"},
    OffersRow{"FloodKeepsTheFreshest", "*40", TFoundPlayers::MaxPlayers, "p40 — 192.0.2.40|p39 — 192.0.2.39"}),
    test_rows::RowName);
// clang-format on

// The session hands the players found to the Connect box, and calls the one chosen.
TEST(Discovery, ChoosingAPlayerCallsItsAddress) {
    TTable t;
    t.Caller.Offers = {{QStringLiteral("Anna — 127.0.0.1"), QStringLiteral("127.0.0.1")}};
    t.Caller.Boxes.Answer(true, t.Caller.Offers.front().Label);
    t.Caller->ConnectOrDisconnect();
    t.Wire.Deliver();
    EXPECT_TRUE(t.Listener->Connected());
    EXPECT_EQ(t.Caller->ConnectAddress(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(t.Caller.Boxes.Offered, t.Caller.Offers);
}

} // namespace
