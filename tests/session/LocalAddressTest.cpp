// Which of the host's addresses the window offers the other player.
#include "LocalAddress.h"

#include <gtest/gtest.h>

namespace {

struct AddressRow {
    const char *Name;
    std::optional<QStringList> Resolved;
    QList<TInterfaceAddress> Interfaces;
    QString Shown;
    bool InterfacesAsked;
};

void PrintTo(const AddressRow &row, std::ostream *out) {
    *out << row.Name;
}

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

const QList<TInterfaceAddress> Lan{{"127.0.0.1", true}, {"::1", true}, {"192.168.1.7", true}};

INSTANTIATE_TEST_SUITE_P(
    Rows, ChooseAddress,
    ::testing::Values(
        AddressRow{"DoesNotResolve", std::nullopt, Lan, "No network..", false},
        AddressRow{"EmptyList", QStringList{}, Lan, "", false},
        AddressRow{"LastOfSeveral", QStringList{"10.0.0.1", "172.16.0.3"}, Lan, "172.16.0.3",
                   false},
        AddressRow{"LoopbackLastOnlyCounts", QStringList{"127.0.1.1", "10.0.0.1"}, Lan, "10.0.0.1",
                   false},
        AddressRow{"DebianHostsEntry", QStringList{"127.0.1.1"}, Lan, "192.168.1.7", true},
        AddressRow{"AnywhereInEightSlashEight", QStringList{"127.255.0.9"}, Lan, "192.168.1.7",
                   true},
        AddressRow{"NotLoopbackJustBelow", QStringList{"126.255.255.255"}, Lan, "126.255.255.255",
                   false},
        AddressRow{"FirstInInterfaceOrder",
                   QStringList{"127.0.1.1"},
                   {{"10.1.1.1", true}, {"192.168.1.7", true}},
                   "10.1.1.1",
                   true},
        AddressRow{"InterfaceDownSkipped",
                   QStringList{"127.0.1.1"},
                   {{"10.1.1.1", false}, {"192.168.1.7", true}},
                   "192.168.1.7",
                   true},
        AddressRow{"SixOnlySkipped",
                   QStringList{"127.0.1.1"},
                   {{"fe80::1", true}, {"2001:db8::5", true}, {"10.2.2.2", true}},
                   "10.2.2.2",
                   true},
        AddressRow{"OnlyLoopbackInterfaces",
                   QStringList{"127.0.1.1"},
                   {{"127.0.0.1", true}, {"::1", true}},
                   "127.0.1.1",
                   true},
        AddressRow{
            "NoInterfaceUp", QStringList{"127.0.0.1"}, {{"10.1.1.1", false}}, "127.0.0.1", true},
        AddressRow{"NoInterfaces", QStringList{"127.0.0.1"}, {}, "127.0.0.1", true}),
    [](const auto &info) { return std::string(info.param.Name); });

} // namespace
