// Reading the address box and showing a peer's address.
#include "net/AddressText.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {

using K = TTypedAddress::TKind;

struct TypedRow {
    const char *Name;
    QString Text;
    K Kind;
    QString Address; // the literal's text, or the name to look up
};

using test_rows::PrintTo;

class TypedAddress : public ::testing::TestWithParam<TypedRow> {};

TEST_P(TypedAddress, IsReadAsLiteralNameOrNothing) {
    const TypedRow &row = GetParam();
    const TTypedAddress typed = ParseTypedAddress(row.Text);
    EXPECT_EQ(typed.Kind, row.Kind);
    const QString got = typed.Kind == K::Name ? typed.Name : typed.Address.toString();
    EXPECT_EQ(got.toStdString(), row.Address.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Net, TypedAddress,
    ::testing::Values(
        TypedRow{"Empty", "", K::Empty, ""}, TypedRow{"Blanks", "  \t", K::Empty, ""},
        TypedRow{"Dotted", "198.51.100.7", K::Literal, "198.51.100.7"},
        TypedRow{"DottedWithBlanks", " 203.0.113.9 ", K::Literal, "203.0.113.9"},
        TypedRow{"Ipv6", "2001:DB8:0:0:0:0:0:1", K::Literal, "2001:db8::1"},
        TypedRow{"Ipv6Bracketed", "[2001:db8::5]", K::Literal, "2001:db8::5"},
        TypedRow{"Loopback6Bracketed", "[::1]", K::Literal, "::1"},
        TypedRow{"V4Mapped", "::ffff:198.51.100.7", K::Literal, "198.51.100.7"},
        TypedRow{"V4MappedBracketed", "[::ffff:c633:6407]", K::Literal, "198.51.100.7"},
        TypedRow{"LinkLocalZone", "fe80::1%eth0", K::Literal, "fe80::1%eth0"},
        TypedRow{"LinkLocalZoneUrlStyle", "[fe80::1%25eth0]", K::Literal, "fe80::1%eth0"},
        TypedRow{"Name", "chess.example.org", K::Name, "chess.example.org"},
        TypedRow{"NameFullyQualified", "a-b_c.example.", K::Name, "a-b_c.example."},
        TypedRow{"SingleLabel", "localhost", K::Name, "localhost"},
        TypedRow{"PortSuffix", "[2001:db8::5]:1024", K::Invalid, ""},
        TypedRow{"NamePortSuffix", "chess.example:1024", K::Invalid, ""},
        TypedRow{"BracketedIpv4", "[198.51.100.7]", K::Invalid, ""},
        TypedRow{"BracketedName", "[chess.example]", K::Invalid, ""},
        TypedRow{"HalfBracket", "[2001:db8::5", K::Invalid, ""},
        TypedRow{"BlankInside", "chess example", K::Invalid, ""},
        TypedRow{"EmptyLabel", "chess..example", K::Invalid, ""},
        TypedRow{"ZoneOnIpv4", "198.51.100.7%eth0", K::Invalid, ""},
        TypedRow{"LabelTooLong", QString(64, QLatin1Char('a')) + ".example", K::Invalid, ""}),
    test_rows::RowName);

struct PeerRow {
    const char *Name;
    QHostAddress Address;
    const char *Shown;
};

class PeerAddress : public ::testing::TestWithParam<PeerRow> {};

TEST_P(PeerAddress, IsShownInItsUsualForm) {
    EXPECT_EQ(PeerAddressText(GetParam().Address).toStdString(), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Net, PeerAddress,
    ::testing::Values(
        PeerRow{"Ipv4", QHostAddress("198.51.100.7"), "198.51.100.7"},
        PeerRow{"Ipv4OnDualStack", QHostAddress("::ffff:198.51.100.7"), "198.51.100.7"},
        PeerRow{"Ipv6Compressed", QHostAddress("2001:0db8:0000:0000:0001:0000:0000:0001"),
                "2001:db8::1:0:0:1"},
        PeerRow{"Loopback6", QHostAddress("::1"), "::1"},
        PeerRow{"LinkLocalKeepsZone", QHostAddress("fe80::2%lo"), "fe80::2%lo"},
        PeerRow{"Nothing", QHostAddress(), ""}),
    test_rows::RowName);

} // namespace
