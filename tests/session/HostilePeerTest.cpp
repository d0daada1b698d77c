#include "tests/session/SessionFixture.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <cstdlib>
#include <iostream>

using namespace session_test;

namespace {

const std::string Start = TChessRules::StartPosition;

std::string After(const std::string &position, Square from, Square to) {
    std::string next = position;
    next[static_cast<std::size_t>(Ord(to) - 1)] = next[static_cast<std::size_t>(Ord(from) - 1)];
    next[static_cast<std::size_t>(Ord(from) - 1)] = ' ';
    return next;
}

const std::string AfterE4 = After(Start, Square::E2, Square::E4);

struct LineRow {
    const char *name;
    QByteArray bytes;     // sent to a fresh window whose peer is the raw socket
    QStringList messages; // Messages window afterwards, before the sync marker
    std::string position;
    const char *turn; // panel 0
    bool inGame;
    int timePerSide;
};
using test_rows::PrintTo;

class PeerLines : public ::testing::TestWithParam<LineRow> {};

TEST_P(PeerLines, HandledExactlyAsTheProtocolSays) {
    TWindow window;
    TRawPeer peer(window);
    ASSERT_TRUE(window.Connected());
    peer.Send(GetParam().bytes);
    ASSERT_TRUE(peer.Sync(QStringLiteral("sync")));
    QStringList messages = window.Messages();
    messages.removeLast();
    EXPECT_EQ(messages, GetParam().messages);
    EXPECT_EQ(window->ChessBrd1->Position(), GetParam().position);
    EXPECT_EQ(window.Panel(0), QString::fromUtf8(GetParam().turn));
    EXPECT_EQ(window.InGame(), GetParam().inGame);
    EXPECT_EQ(window->Session().TimePerSide(), GetParam().timePerSide);
    // Nothing a peer sends reaches the error box.
    EXPECT_TRUE(window.Boxes.Errors().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PeerLines,
    ::testing::Values(
        LineRow{"TimeThenNewInOneRead",
                "Morvanti-CTR-45\nMorvanti-CTR-New\n",
                {},
                Start,
                "White turn ...",
                true,
                45},
        LineRow{"TimeFiveThenNew",
                "Morvanti-CTR-5\nMorvanti-CTR-New\n",
                {},
                Start,
                "White turn ...",
                true,
                5},
        LineRow{"TimeFourIgnored", "Morvanti-CTR-4\n", {}, Start, "", false, 45},
        LineRow{"TimeNegativeIgnored", "Morvanti-CTR--60\n", {}, Start, "", false, 45},
        LineRow{"TimeHex", "Morvanti-CTR-$10\n", {}, Start, "", false, 16},
        LineRow{"EmptyChat",
                "Morvanti-TXT-first\nMorvanti-TXT-\n",
                {"first", ""},
                Start,
                "",
                false,
                45},
        LineRow{"ChatThatLooksLikeControl",
                "Morvanti-TXT-Morvanti-CTR-New\n",
                {"Morvanti-CTR-New"},
                Start,
                "",
                false,
                45},
        LineRow{"ChatMarkupShownAsText",
                "Morvanti-TXT-<b>bold</b> &amp;\n",
                {"<b>bold</b> &amp;"},
                Start,
                "",
                false,
                45},
        LineRow{"ChatUtf8",
                "Morvanti-TXT-\xc5\xbc\xc3\xb3\xc5\x82w \xe2\x99\x9e\n",
                {QString::fromUtf8("\xc5\xbc\xc3\xb3\xc5\x82w \xe2\x99\x9e")},
                Start,
                "",
                false,
                45},
        LineRow{"ControlWrongCase", "Morvanti-CTR-new\n", {}, Start, "", false, 45},
        LineRow{"ControlTrailingSpace", "Morvanti-CTR-New \n", {}, Start, "", false, 45},
        LineRow{"ControlCarriageReturn", "Morvanti-CTR-New\r\n", {}, Start, "", false, 45},
        LineRow{"OtherTag", "Morvanta-CTR-New\nMORVANTI-CTR-New\n", {}, Start, "", false, 45},
        LineRow{"ShortAndEmptyLines", "Morvanti\n\n\nM\n", {}, Start, "", false, 45},
        LineRow{"LowerCaseMove",
                "Morvanti-CTR-New\nMorvanti-MOV-e2-e4\n",
                {},
                AfterE4,
                "Black turn ...",
                true,
                45},
        // Before the first game of a connection there is nothing to move in.
        LineRow{
            "MoveBeforeAnyGame", "Morvanti-MOV-E2-E4\n", {}, Start, "White turn ...", false, 45},
        LineRow{"MoveWithoutDash", "Morvanti-MOV-E2E4\n", {}, Start, "", false, 45},
        LineRow{"EmptyMove", "Morvanti-MOV-\n", {}, Start, "", false, 45},
        LineRow{
            "MoveLongDestination", "Morvanti-MOV-E2-E4X\n", {}, Start, "White turn ...", false, 45},
        LineRow{"MoveFileBeyondH", "Morvanti-MOV-J2-J4\n", {}, Start, "White turn ...", false, 45},
        LineRow{"MoveRankNotDigitThenMore",
                "Morvanti-MOV-E2-EX\nMorvanti-TXT-after\n",
                {"after"},
                Start,
                "White turn ...",
                false,
                45},
        LineRow{"IllegalMove", "Morvanti-MOV-E2-E5\n", {}, Start, "White turn ...", false, 45},
        LineRow{"TwoMovesOneSide",
                "Morvanti-CTR-New\nMorvanti-MOV-E2-E4\nMorvanti-MOV-D2-D4\n",
                {},
                AfterE4,
                "Black turn ...",
                true,
                45}),
    test_rows::RowName);

TEST(HostilePeer, LinesSplitByteByByte) {
    TWindow window;
    TRawPeer peer(window);
    const QByteArray text =
        "Morvanti-CTR-12\nMorvanti-CTR-New\nMorvanti-TXT-split\nMorvanti-MOV-E2-E4\n";
    for (char c : text) {
        peer.Send(QByteArray(1, c));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(peer.Sync(QStringLiteral("sync")));
    EXPECT_EQ(window.Messages(), (QStringList{"split", "sync"}));
    EXPECT_EQ(window->Session().TimePerSide(), 12);
    EXPECT_TRUE(window.InGame());
    EXPECT_EQ(window->ChessBrd1->Position(), AfterE4);
}

TEST(HostilePeer, TenThousandLinesInOneWrite) {
    TWindow window;
    TRawPeer peer(window);
    QByteArray text;
    for (int i = 0; i < 10000; ++i)
        text += "Morvanti-TXT-" + QByteArray::number(i) + "\n";
    peer.Send(text);
    ASSERT_TRUE(peer.Sync(QStringLiteral("sync")));
    // Every line arrives, in order; the window keeps the newest.
    const QStringList messages = window.Messages();
    ASSERT_EQ(messages.size(), TMainForm::MaxMessageLines);
    EXPECT_EQ(messages.at(0), QStringLiteral("8001"));
    EXPECT_EQ(messages.at(TMainForm::MaxMessageLines - 2), QStringLiteral("9999"));
}

TEST(HostilePeer, MebibyteWithoutLineFeedIsDropped) {
    TWindow window;
    TRawPeer peer(window);
    peer.Send("Morvanti-TXT-" + QByteArray(1 << 20, 'x'));
    peer.Send("\nMorvanti-TXT-after\n");
    ASSERT_TRUE(peer.Sync(QStringLiteral("sync")));
    EXPECT_EQ(window.Messages(), (QStringList{"after", "sync"}));
}

TEST(HostilePeer, BinaryGarbageLeavesTheSessionWorking) {
    TWindow window;
    TRawPeer peer(window);
    const char *given = std::getenv("BOARDWICK_SEED");
    const quint32 seed = given ? static_cast<quint32>(std::strtoul(given, nullptr, 10))
                               : QRandomGenerator::global()->generate();
    std::cout << "seed " << seed << " (BOARDWICK_SEED)" << std::endl;
    QRandomGenerator random(seed);
    QByteArray garbage(256 * 1024, '\0');
    for (auto &byte : garbage)
        byte = static_cast<char>(random.bounded(256));
    peer.Send(garbage);
    peer.Send("\n");
    ASSERT_TRUE(peer.Sync(QStringLiteral("sync")));
    EXPECT_TRUE(window.Connected());
    EXPECT_TRUE(window.Boxes.Errors().isEmpty());
    // Still a full peer: a game can start and a move can be played.
    peer.Send("Morvanti-CTR-New\nMorvanti-MOV-D2-D4\n");
    ASSERT_TRUE(peer.Sync(QStringLiteral("sync2")));
    EXPECT_TRUE(window.InGame());
    EXPECT_EQ(window.MoveList(), QStringList{"1. D2-D4"});
}

TEST(HostilePeer, MoveOnTheLocalPlayersTurnIsRefused) {
    TWindow window;
    TRawPeer peer(window);
    peer.Send("Morvanti-CTR-New\nMorvanti-MOV-E2-E4\n");
    ASSERT_TRUE(peer.Sync(QStringLiteral("one")));
    ASSERT_EQ(window.Panel(0), QStringLiteral("Black turn ..."));
    ASSERT_TRUE(window.BoardEnabled());
    // Black is the local player's side: the peer may not move it.
    peer.Send("Morvanti-MOV-E7-E5\n");
    ASSERT_TRUE(peer.Sync(QStringLiteral("two")));
    EXPECT_EQ(window->ChessBrd1->Position(), AfterE4);
    EXPECT_EQ(window.Panel(0), QStringLiteral("Black turn ..."));
    EXPECT_TRUE(window.BoardEnabled());
    EXPECT_EQ(window.MoveList(), QStringList{"1. E2-E4"});
}

TEST(HostilePeer, LocalGameLinesOnTheWireAndNoneForDragsWithoutAMove) {
    TWindow window;
    TRawPeer peer(window);
    window->Session().SetTimePerSide(30);
    window->BitBtn3Click();
    ASSERT_TRUE(peer.Expect("Morvanti-CTR-New"));
    EXPECT_EQ(peer.Received,
              (QList<QByteArray>{Announcement, "Morvanti-CTR-30", "Morvanti-CTR-New"}));
    ClickSquare(window->ChessBrd1, "E2"); // released before the drag began
    Drag(window->ChessBrd1, "E2", "E2");  // back on its own square
    Drag(window->ChessBrd1, "E2", "E5");  // refused target
    ASSERT_TRUE(window.BoardEnabled());
    EXPECT_EQ(window->ChessBrd1->Position(), Start);
    Drag(window->ChessBrd1, "G1", "F3");
    ASSERT_TRUE(peer.Expect("Morvanti-MOV-G1-F3"));
    window->BitBtn4Click();
    ASSERT_TRUE(peer.Expect("Morvanti-CTR-Resign"));
    EXPECT_EQ(peer.Received.size(), 5);
}

} // namespace
