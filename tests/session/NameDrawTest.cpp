// Player names and draw offers between two sessions, and what a peer can send of them.
#include "tests/session/InProcess.h"

#include "tests/common/Rows.h"
#include <gtest/gtest.h>

namespace {
using namespace inproc;
using test_rows::PrintTo;

const QString Local = QStringLiteral("127.0.0.1");
const QByteArray Hello = "Morvanti-CTR-Features Promotion Numbered Resume Name Draw\n";

// A session and a raw peer that called it.
struct TRawPeer {
    TWire Wire;
    TPlayer P{Wire, Local};
    TMemoryConnection *Peer = P.Transport->AcceptRaw(Local);
};

// A name from the wire, whatever it holds, is one line of printable text.
struct NameRow {
    const char *name;
    QByteArray sent;
    QString shown, address; // a name that is nothing shows the address as before
};

class PeerNames : public ::testing::TestWithParam<NameRow> {};

TEST_P(PeerNames, AreShownAsPlainText) {
    TRawPeer t;
    t.Peer->Write("Morvanti-CTR-Features Name\nMorvanti-CTR-Name " + GetParam().sent + "\n");
    t.Wire.Deliver();
    EXPECT_EQ(t.P.View.Opponent, GetParam().shown);
    EXPECT_EQ(t.P.View.OpponentAddress, GetParam().address);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, PeerNames, ::testing::Values(
    NameRow{"TooLongIsCut", QByteArray(60, 'x'), QString(40, 'x'), Local},
    NameRow{"ControlCharacters", "A\rB\tC\x01\x7f" "D", "A B C D", Local},
    NameRow{"MarkupStaysText", "<b>Bob</b> &amp;", "<b>Bob</b> &amp;", Local},
    NameRow{"DirectionOverridesAndSeparators", "\xe2\x80\xae" "evil\xe2\x80\xa8" "x\xe2\x80\x8b", "evil x", Local},
    NameRow{"NothingPrintableIsNoName", "\x01\x02 ", Local, {}}),
    test_rows::RowName);
// clang-format on

// A peer that announced neither word is sent nothing new, whatever this side does.
TEST(Names, AnOlderPeerSeesTodaysBytes) {
    TRawPeer t;
    t.P->SetPlayerName(QStringLiteral("Lena"));
    t.P->NewGame();
    ASSERT_TRUE(t.P.Move("E2", "E4"));
    EXPECT_EQ(t.P.View.Buttons.Draw, TDrawOffer::Unsupported);
    t.P->OfferDraw();
    t.P->SetPlayerName(QStringLiteral("Lea"));
    EXPECT_EQ(t.Peer->Take(), Hello + "Morvanti-CTR-45\nMorvanti-CTR-New\nMorvanti-MOV-E2-E4\n");
}

// Draw offers in a game that Lena (listening, White) started against Carl; each row ends drawn on
// both boards or still running on both.
struct DrawRow {
    const char *name;
    std::function<void(TTable &)> act;
    bool drawn;
    QStringList listenerSees, callerSees; // in the messages window
};

class DrawOffers : public ::testing::TestWithParam<DrawRow> {};

TEST_P(DrawOffers, EndTheSameOnBothBoards) {
    const DrawRow &row = GetParam();
    TTable t;
    t.Listener->SetPlayerName(QStringLiteral("Lena")); // sent after the announcement
    ASSERT_TRUE(t.Connect());
    t.Caller->SetPlayerName(QStringLiteral("Carl")); // sent as it changes
    ASSERT_TRUE(t.StartGame() && t.Play({{"E2", "E4"}, {"E7", "E5"}}));
    EXPECT_EQ(t.Listener.View.Opponent, QStringLiteral("Carl"));
    EXPECT_EQ(t.Caller.View.Opponent + t.Caller.View.OpponentAddress, "Lena" + Local);
    row.act(t);
    t.Wire.Deliver();
    EXPECT_EQ(t.Listener.Board.Position(), t.Caller.Board.Position());
    for (TPlayer *p : {&t.Listener, &t.Caller}) {
        EXPECT_EQ(p->Session->ClockRunning(), !row.drawn);
        if (!row.drawn) {
            EXPECT_EQ(p->View.Buttons.Draw, TDrawOffer::Available) << "the offer is closed";
            continue;
        }
        EXPECT_EQ(p->Session->Outcome(), (TGameOutcome{TGameEnd::Agreement, TGameResult::Draw}));
        EXPECT_EQ(p->View.Notices.back().Message, "Draw \u2014 agreed by both players");
        ASSERT_EQ(p->Kept.size(), 1u);
        EXPECT_EQ(p->Kept[0], t.Listener.Kept[0]) << "both keep the same record";
    }
    EXPECT_EQ(t.Listener.View.Messages, row.listenerSees);
    EXPECT_EQ(t.Caller.View.Messages, row.callerSees);
    if (row.drawn) {
        EXPECT_NE(t.Caller.Kept[0].find("[White \"Lena\"]\n[Black \"Carl\"]\n[Result \"1/2-1/2\"]"),
                  std::string::npos);
    }
}

const QString Offered = "You offered a draw.",
              Accepted = "Your opponent accepted the draw: the game is drawn.",
              Agreed = "The game is drawn by agreement.";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, DrawOffers, ::testing::Values(
    DrawRow{"AcceptedOnTheOfferersTurn", [](TTable &t) { t.Caller.Boxes.Answer(true); t.Listener->OfferDraw(); }, true, {Offered, Accepted}, {Agreed}},
    DrawRow{"AcceptedOnTheOfferedSidesTurn", [](TTable &t) { t.Listener.Boxes.Answer(true); t.Caller->OfferDraw(); }, true, {Agreed}, {Offered, Accepted}},
    DrawRow{"DeclinedAndOneAtATime", [](TTable &t) { t.Caller.Boxes.Answer(false); t.Listener->OfferDraw(); EXPECT_EQ(t.Listener.View.Buttons.Draw, TDrawOffer::Waiting); t.Listener->OfferDraw(); }, false, {Offered, "Your opponent declined the draw."}, {}},
    DrawRow{"LapsesWhenAMoveCrossesIt", [](TTable &t) { t.Caller->OfferDraw(); ASSERT_TRUE(t.Listener.Move("G1", "F3")); }, false, {"Your opponent's draw offer crossed your move and lapsed."}, {Offered, "Your draw offer lapsed: your opponent moved."}},
    DrawRow{"OffererMovesWhileTheBoxIsOpen", [](TTable &t) { t.Caller.Boxes.Answer(true, {}, [&t] { t.Wire.Deliver(); }); t.Listener->OfferDraw(); ASSERT_TRUE(t.Listener.Move("G1", "F3")); }, true, {Offered, Accepted}, {Agreed}},
    DrawRow{"OffersCrossEachOther", [](TTable &t) { t.Listener.Boxes.Answer(true); t.Caller.Boxes.Answer(false); t.Listener->OfferDraw(); t.Caller->OfferDraw(); }, true, {Offered, Agreed}, {Offered, Accepted}},
    DrawRow{"ANewGameClosesTheBox", [](TTable &t) { t.Caller.Boxes.Answer(true, {}, [&t] { t.Listener->NewGame(); t.Wire.Deliver(); }); t.Listener->OfferDraw(); }, false, {Offered}, {}}),
    test_rows::RowName);
// clang-format on

// Answers to no offer change nothing; offers that pile up open one box.
TEST(DrawOffers, FromAPeerOnlyAnswersToAnOfferCountAndOneBoxOpens) {
    TRawPeer t;
    t.P.Boxes.Answer(false);
    t.Peer->Write("Morvanti-CTR-Features Numbered Draw\nMorvanti-CTR-New 1 45\n"
                  "Morvanti-CTR-DrawAccept 1 0\nMorvanti-CTR-DrawDecline 1 0\n" +
                  QByteArray("Morvanti-CTR-DrawOffer 1 0\n").repeated(100));
    t.Wire.Deliver();
    EXPECT_TRUE(t.P->GameRunning());
    EXPECT_EQ(t.P.Boxes.Log(), QStringList{"Confirm|Confirm|Your opponent offers a draw. Agree?"});
    EXPECT_EQ(t.Peer->Take(), Hello + "Morvanti-CTR-DrawDecline 1 0\n");
}

} // namespace
