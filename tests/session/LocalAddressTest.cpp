// Which of the host's addresses the window offers the other player.
#include "app/session/LocalAddress.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

struct AddressRow {
    const char *Name;
    std::optional<QStringList> Resolved;
    QList<TInterfaceAddress> Interfaces;
    QString Shown;
    bool InterfacesAsked;
};

using test_rows::PrintTo;

class ChooseAddress : public ::testing::TestWithParam<AddressRow> {};

TEST_P(ChooseAddress, OffersAnAddressTheOtherPlayerCanCall) {
    const AddressRow &row = GetParam();
    bool asked = false;
    const QString shown = ChooseLocalAddress(row.Resolved, [&] {
        asked = true;
        return row.Interfaces;
    });
    EXPECT_EQ(shown.toStdString(), row.Shown.toStdString());
    EXPECT_EQ(asked, row.InterfacesAsked);
}

const QList<TInterfaceAddress> Lan{{"127.0.0.1", true}, {"::1", true}, {"198.51.100.7", true}};
const QList<TInterfaceAddress> SixOnly{
    {"127.0.0.1", true}, {"fe80::1", true}, {"2001:db8::5", true}};

INSTANTIATE_TEST_SUITE_P(
    Rows, ChooseAddress,
    ::testing::Values(
        AddressRow{"DoesNotResolveFallsBackToAnInterface", std::nullopt, Lan, "198.51.100.7", true},
        AddressRow{"DoesNotResolveIpv6Only", std::nullopt, SixOnly, "2001:db8::5", true},
        AddressRow{"DoesNotResolveNoUsableInterface",
                   std::nullopt,
                   {{"127.0.0.1", true}, {"198.51.100.7", false}, {"fe80::1", true}},
                   "No network..",
                   true},
        AddressRow{"EmptyListFallsBackToAnInterface", QStringList{}, Lan, "198.51.100.7", true},
        AddressRow{"EmptyListNoInterface", QStringList{}, {}, "", true},
        AddressRow{"LastOfSeveral", QStringList{"192.0.2.1", "203.0.113.3"}, Lan, "203.0.113.3",
                   false},
        AddressRow{"LoopbackLastOnlyCounts", QStringList{"127.0.1.1", "192.0.2.1"}, Lan,
                   "192.0.2.1", false},
        AddressRow{"DebianHostsEntry", QStringList{"127.0.1.1"}, Lan, "198.51.100.7", true},
        AddressRow{"AnywhereInEightSlashEight", QStringList{"127.255.0.9"}, Lan, "198.51.100.7",
                   true},
        AddressRow{"NotLoopbackJustBelow", QStringList{"126.255.255.255"}, Lan, "126.255.255.255",
                   false},
        AddressRow{"FirstInInterfaceOrder",
                   QStringList{"127.0.1.1"},
                   {{"192.0.2.1", true}, {"198.51.100.7", true}},
                   "192.0.2.1",
                   true},
        AddressRow{"InterfaceDownSkipped",
                   QStringList{"127.0.1.1"},
                   {{"192.0.2.1", false}, {"198.51.100.7", true}},
                   "198.51.100.7",
                   true},
        AddressRow{"Ipv4BeforeIpv6",
                   QStringList{"127.0.1.1"},
                   {{"fe80::1", true}, {"2001:db8::5", true}, {"192.0.2.2", true}},
                   "192.0.2.2",
                   true},
        AddressRow{"OnlyLoopbackInterfaces",
                   QStringList{"127.0.1.1"},
                   {{"127.0.0.1", true}, {"::1", true}},
                   "127.0.1.1",
                   true},
        AddressRow{
            "NoInterfaceUp", QStringList{"127.0.0.1"}, {{"192.0.2.1", false}}, "127.0.0.1", true},
        AddressRow{"NoInterfaces", QStringList{"127.0.0.1"}, {}, "127.0.0.1", true}),
    test_rows::RowName);

TEST(GlobalIpv6, OffersOnlyAddressesCallableFromElsewhere) {
    const QList<TInterfaceAddress> interfaces{{"::1", true},          {"fe80::1", true},
                                              {"fd00::7", true},      {"::ffff:198.51.100.7", true},
                                              {"198.51.100.7", true}, {"2001:db8::9", false},
                                              {"2001:db8::5", true},  {"2001:DB8:0:0::5", true},
                                              {"2001:db8:1::6", true}};
    EXPECT_EQ(GlobalIpv6Addresses(interfaces), (QStringList{"2001:db8::5", "2001:db8:1::6"}));
}

struct ShownRow {
    const char *Name;
    TPortMapStatus Forwarding;
    QStringList Ipv6;
    const char *Label;
    const char *ToolTip;
};

class Shown : public ::testing::TestWithParam<ShownRow> {};

TEST_P(Shown, LabelIsTheAddressToCallAndTheTipTellsTheRest) {
    const TShownAddress shown =
        ShowLocalAddress("198.51.100.7", GetParam().Forwarding, GetParam().Ipv6);
    EXPECT_EQ(shown.Label.toStdString(), GetParam().Label);
    EXPECT_EQ(shown.ToolTip.toStdString(), GetParam().ToolTip);
}

using S = TPortMapStatus::TState;

INSTANTIATE_TEST_SUITE_P(
    Rows, Shown,
    ::testing::Values(
        ShownRow{"NothingYet", {}, {}, "198.51.100.7", ""},
        ShownRow{"Asking",
                 {S::Discovering, {}, {}, {}},
                 {},
                 "198.51.100.7",
                 "<qt>Asking your router to forward port 1024 ...</qt>"},
        ShownRow{
            "Mapped",
            {S::Mapped, "203.0.113.1", "198.51.100.7", {}},
            {"2001:db8::5"},
            "203.0.113.1",
            "<qt>Your router forwards port 1024 to this computer.<br>Address inside your network: "
            "198.51.100.7<br>IPv6: 2001:db8::5</qt>"},
        ShownRow{"RouterWordsAreNotMarkup",
                 {S::Failed, {}, "198.51.100.7", "forwarded to another machine (<b>x</b> & y)"},
                 {},
                 "198.51.100.7",
                 "<qt>No port forwarding: forwarded to another machine (&lt;b&gt;x&lt;/b&gt; &amp; "
                 "y)</qt>"},
        ShownRow{"Ipv6Only",
                 {S::Idle, {}, {}, {}},
                 {"2001:db8::5", "2001:db8:1::6"},
                 "198.51.100.7",
                 "<qt>IPv6: 2001:db8::5, 2001:db8:1::6</qt>"}),
    test_rows::RowName);

} // namespace
