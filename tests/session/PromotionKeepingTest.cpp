// The promotion choice between programs and with peers that lack it, games kept as PGN, and the
// tray's notices while the window is away.
#include "app/GameAutosave.h"
#include "app/session/PeerLink.h"
#include "tests/components/FakeTrayShell.h"
#include "tests/session/SessionFixture.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <memory>

namespace {
using namespace session_test;
using TMoves = std::vector<std::pair<const char *, const char *>>;

// White's king hides on h2 behind its own pieces while Black's e-pawn walks to e2; exf1=N mates.
const TMoves KnightMateLine{{"H2", "H3"}, {"E7", "E5"}, {"F2", "F3"}, {"E5", "E4"}, {"E1", "F2"},
                            {"A7", "A6"}, {"F2", "G3"}, {"A6", "A5"}, {"G3", "H2"}, {"E4", "F3"},
                            {"D2", "D3"}, {"F3", "E2"}, {"D1", "D2"}};
// White's h-pawn takes its way to h7, then takes the knight on g8.
const TMoves WhiteCaptureLine{{"H2", "H4"}, {"G7", "G5"}, {"H4", "G5"}, {"A7", "A6"},
                              {"G5", "G6"}, {"A6", "A5"}, {"G6", "H7"}, {"A5", "A4"}};

char PieceOn(const TWindow &window, const char *square) {
    return window->ChessBrd1->PieceAt(TChessRules::SquareAt(square[0] - 'A' + 1, square[1] - '0'));
}

QString DayFile(const QString &folder) {
    QFile file(TGameAutosave(folder).DayFile(QDate::currentDate()));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QByteArray MoveLine(const char *from, const char *to) {
    return QByteArray("Morvanti-MOV-") + from + "-" + to;
}

// The window plays White by drags, the raw peer Black by lines; each move waits for the other side.
bool PlayAgainst(TWindow &window, TRawPeer &peer, const TMoves &moves) {
    for (const auto &[from, to] : moves) {
        if (window->ChessBrd1->WhiteToMove()) {
            Drag(window->ChessBrd1, from, to);
            if (!peer.Expect(MoveLine(from, to)))
                return false;
        } else {
            peer.Send(MoveLine(from, to) + "\n");
            if (!WaitUntil([&] { return window->ChessBrd1->WhiteToMove(); }))
                return false;
        }
    }
    return true;
}

TEST(Promotion, TwoProgramsPlayAKnightPromotionThatMatesAndKeepTheGameOnce) {
    QTemporaryDir games;
    TPair pair([&](TMainFormSeams &seams) { seams.AutosaveFolder = games.path(); });
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(WaitUntil([&] {
        return pair.Listener->Session().Link().PeerFeatures().Promotion &&
               pair.Caller->Session().Link().PeerFeatures().Promotion;
    }));
    ASSERT_TRUE(pair.StartGame());
    ASSERT_TRUE(PlayMoves(pair, KnightMateLine));
    pair.Caller.Boxes.Script.Answer(true, QStringLiteral("N"));
    Drag(pair.Caller->ChessBrd1, "E2", "F1");
    ASSERT_TRUE(WaitUntil(
        [&] { return pair.Listener->Session().Outcome() && pair.Caller->Session().Outcome(); }));

    EXPECT_EQ(pair.Caller.Boxes.Promotions(), QStringList{"Black"});
    EXPECT_TRUE(pair.Listener.Boxes.Promotions().isEmpty());
    EXPECT_EQ(PieceOn(pair.Listener, "F1"), 'n');
    EXPECT_EQ(PieceOn(pair.Caller, "F1"), 'n');
    const TGameOutcome mate{TGameEnd::Checkmate, TGameResult::BlackWins};
    EXPECT_EQ(*pair.Listener->Session().Outcome(), mate);
    EXPECT_EQ(*pair.Caller->Session().Outcome(), mate);

    // Hanging up after the end keeps nothing more.
    pair.Caller->BitBtn6Click();
    ASSERT_TRUE(WaitUntil([&] { return !pair.Listener.Connected(); }));
    const QString kept = DayFile(games.path());
    EXPECT_EQ(kept.count(QStringLiteral("[Event ")), 1) << kept.toStdString();
    EXPECT_TRUE(kept.contains(QStringLiteral("[Black \"Local\"]")));
    EXPECT_TRUE(kept.contains(QStringLiteral("[Result \"0-1\"]")));
    EXPECT_TRUE(kept.contains(QStringLiteral("exf1=N# 0-1"))) << kept.toStdString();

    // The listener's move list copies the same game from its own side.
    std::unique_ptr<QMenu> menu(pair.Listener->CreateMoveListMenu());
    QAction *copy = nullptr;
    for (QAction *action : menu->actions())
        if (action->text() == QStringLiteral("Copy game as PGN"))
            copy = action;
    ASSERT_NE(copy, nullptr);
    copy->trigger();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.contains(QStringLiteral("[White \"Local\"]")));
    EXPECT_EQ(copied.section(QStringLiteral("\n\n"), 1), kept.section(QStringLiteral("\n\n"), 1));
}

TEST(Promotion, TwoProgramsAgreeOnAWhiteRookTakenOnG8) {
    TPair pair;
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(WaitUntil([&] { return pair.Caller->Session().Link().PeerFeatures().Promotion; }));
    ASSERT_TRUE(pair.StartGame());
    ASSERT_TRUE(PlayMoves(pair, WhiteCaptureLine));
    pair.Listener.Boxes.Script.Answer(true, QStringLiteral("R"));
    ASSERT_TRUE(PlayMoves(pair, {{"H7", "G8"}, {"H8", "H1"}}));
    EXPECT_EQ(pair.Listener.Boxes.Promotions(), QStringList{"White"});
    EXPECT_EQ(PieceOn(pair.Caller, "G8"), 'R');
    // Black takes back on the h-file and the game goes on.
    EXPECT_EQ(PieceOn(pair.Listener, "H1"), 'r');
    EXPECT_TRUE(pair.Listener->Session().GameRunning() && pair.Caller->Session().GameRunning());
}

struct TPeerPromotionRow {
    const char *Name;
    bool Announces;
    bool WindowPromotes; // else the peer's Black pawn promotes, after a Promote N line
    const char *Choice;  // the window's answer in its chooser
    char Expected;
};

class PeerPromotion : public testing::TestWithParam<TPeerPromotionRow> {};

// A peer that never announces gets today's lines and a queen, whatever it sends; one that
// announces gets the chosen piece named just before the move, and its own choice is played.
TEST_P(PeerPromotion, FollowsWhatThePeerAnnounced) {
    const TPeerPromotionRow &row = GetParam();
    TWindow window;
    TRawPeer peer(window);
    if (row.Announces)
        peer.Send("Morvanti-CTR-Features Promotion\n");
    ASSERT_TRUE(peer.Sync(QStringLiteral("announced")));
    window->BitBtn3Click();
    ASSERT_TRUE(peer.Expect("Morvanti-CTR-New"));
    if (row.WindowPromotes) {
        ASSERT_TRUE(PlayAgainst(window, peer, WhiteCaptureLine));
        if (row.Announces)
            window.Boxes.Script.Answer(true, QString::fromLatin1(row.Choice));
        Drag(window->ChessBrd1, "H7", "G8");
        ASSERT_TRUE(peer.Expect(MoveLine("H7", "G8")));
        EXPECT_EQ(PieceOn(window, "G8"), row.Expected);
        QList<QByteArray> lines{Announcement, "Morvanti-CTR-45", "Morvanti-CTR-New"};
        for (const auto &[from, to] : WhiteCaptureLine)
            if (from[1] < to[1])
                lines << MoveLine(from, to);
        if (row.Announces)
            lines << QByteArray("Morvanti-CTR-Promote ") + row.Choice;
        lines << MoveLine("H7", "G8");
        EXPECT_EQ(peer.Received, lines);
        EXPECT_EQ(window.Boxes.Promotions().size(), row.Announces ? 1 : 0);
    } else {
        ASSERT_TRUE(PlayAgainst(window, peer, KnightMateLine));
        peer.Send("Morvanti-CTR-Promote N\n" + MoveLine("E2", "F1") + "\n");
        ASSERT_TRUE(peer.Sync(QStringLiteral("promoted")));
        EXPECT_EQ(PieceOn(window, "F1"), row.Expected);
        // The knight mates: the mated side is told, and waits for the mover's program to end it.
        EXPECT_EQ(window.Boxes.Notices().size(), row.Expected == 'n' ? 1 : 0);
        EXPECT_TRUE(window.Boxes.Promotions().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PeerPromotion,
    testing::Values(TPeerPromotionRow{"SilentPeerLocalPawn", false, true, "", 'Q'},
                    TPeerPromotionRow{"AnnouncingPeerLocalRook", true, true, "R", 'R'},
                    TPeerPromotionRow{"AnnouncingPeerLocalBishop", true, true, "B", 'B'},
                    TPeerPromotionRow{"SilentPeerNamesAKnightInVain", false, false, "", 'q'},
                    TPeerPromotionRow{"AnnouncingPeerKnightMates", true, false, "", 'n'}),
    test_rows::RowName);

// The chooser runs its own event loop: the connection may end and another peer call meanwhile.
TEST(Promotion, AChoiceThatOutlivesItsConnectionReachesNoOtherPeer) {
    QTemporaryDir games;
    TWindow window(1024, 0, [&](TMainFormSeams &seams) { seams.AutosaveFolder = games.path(); });
    auto first = std::make_unique<TRawPeer>(window);
    first->Send("Morvanti-CTR-Features Promotion\n");
    ASSERT_TRUE(first->Sync(QStringLiteral("announced")));
    window->BitBtn3Click();
    ASSERT_TRUE(PlayAgainst(window, *first, WhiteCaptureLine));
    std::unique_ptr<TRawPeer> second;
    window.Boxes.Script.RunLoops = true;
    window.Boxes.Script.Answer(true, QStringLiteral("N"), [&] {
        first->Socket.disconnectFromHost();
        ASSERT_TRUE(WaitUntil([&] { return !window.Connected(); }));
        second = std::make_unique<TRawPeer>(window);
    });
    Drag(window->ChessBrd1, "H7", "G8");
    ASSERT_TRUE(second && second->Sync(QStringLiteral("after")));
    EXPECT_EQ(second->Received, QList<QByteArray>{Announcement});
    EXPECT_EQ(PieceOn(window, "G8"), 'N');
    // Kept once, after the move was complete: the promotion is in it, the result open.
    const TGameOutcome lost{TGameEnd::ConnectionLost, TGameResult::Unfinished};
    ASSERT_TRUE(window->Session().Outcome());
    EXPECT_EQ(*window->Session().Outcome(), lost);
    const QString kept = DayFile(games.path());
    EXPECT_EQ(kept.count(QStringLiteral("[Event ")), 1);
    EXPECT_TRUE(kept.contains(QStringLiteral("hxg8=N *"))) << kept.toStdString();
}

TEST(Promotion, SavedFileHoldsTheGameAsShown) {
    QTemporaryDir folder;
    TWindow window;
    TRawPeer peer(window);
    window->BitBtn3Click();
    ASSERT_TRUE(PlayAgainst(window, peer, {{"E2", "E4"}, {"E7", "E5"}}));
    const QString chosen = folder.filePath(QStringLiteral("game"));
    window.Boxes.Script.Answer(true, chosen);
    window->SaveGamePgn();
    QFile saved(chosen + QStringLiteral(".pgn"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), window->Session().GamePgnText());
    EXPECT_TRUE(window->Session().GamePgnText().find("1. e4 e5 *") != std::string::npos);
    window.Boxes.Script.Answer(false); // cancelled: nothing written, nothing told
    window->SaveGamePgn();
    EXPECT_TRUE(window.Boxes.Errors().isEmpty());
    // A move taken back by a granted step is no longer part of the game.
    window.Boxes.AnswerConfirm(true);
    peer.Send("Morvanti-CTR-AskBack\n");
    ASSERT_TRUE(peer.Expect("Morvanti-CTR-Back"));
    EXPECT_TRUE(window->Session().GamePgnText().find("\n1. e4 *") != std::string::npos)
        << window->Session().GamePgnText();
}

enum class TWindowState { Active, Inactive, Hidden };

struct TAwayRow {
    const char *Name;
    TWindowState State;
    bool Told;
    int Alerts;
};

class AwayNotices : public testing::TestWithParam<TAwayRow> {};

TEST_P(AwayNotices, TellTheFourEventsOnlyWhileTheWindowIsAway) {
    const TAwayRow &row = GetParam();
    auto tray = std::make_shared<FakeTrayRecord>();
    int alerts = 0;
    TWindow window(1024, 0, [&](TMainFormSeams &seams) {
        seams.TrayShell = std::make_unique<FakeTrayShell>(tray);
        seams.Alert = [&](QWidget *) { ++alerts; };
    });
    TRawPeer peer(window);
    QWidget other;
    other.show();
    switch (row.State) {
    case TWindowState::Active:
        window->activateWindow();
        ASSERT_TRUE(WaitUntil([&] { return window->isActiveWindow(); }));
        break;
    case TWindowState::Inactive:
        other.activateWindow();
        ASSERT_TRUE(WaitUntil([&] { return other.isActiveWindow() && !window->isActiveWindow(); }));
        break;
    case TWindowState::Hidden:
        window->hide();
        break;
    }
    window.Boxes.AnswerConfirm(false);
    peer.Send("Morvanti-TXT-hello\nMorvanti-CTR-New\nMorvanti-MOV-E2-E4\n"
              "Morvanti-CTR-AskBack\nMorvanti-CTR-Resign\n");
    ASSERT_TRUE(WaitUntil([&] { return window->Session().Outcome().has_value(); }));
    const QStringList all{
        QStringLiteral("Message from your opponent|hello"),
        QStringLiteral("Boardwick|Your move \u2014 opponent played E2-E4"),
        QStringLiteral("Your opponent is waiting for an answer|Your opponent ask to move backward. "
                       "Agree?"),
        QStringLiteral("Game over|You won \u2014 resignation")};
    EXPECT_EQ(tray->Messages, row.Told ? all : QStringList{});
    EXPECT_EQ(alerts, row.Alerts);
}

INSTANTIATE_TEST_SUITE_P(Rows, AwayNotices,
                         testing::Values(TAwayRow{"Active", TWindowState::Active, false, 0},
                                         TAwayRow{"Inactive", TWindowState::Inactive, true, 4},
                                         TAwayRow{"HiddenInTheTray", TWindowState::Hidden, true,
                                                  0}),
                         test_rows::RowName);

} // namespace
