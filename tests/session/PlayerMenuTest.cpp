// The window's menu for the player's name and the draw offer, and the opponent label's tooltip.
#include "tests/session/SessionFixture.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace session_test;

namespace {

TEST(PlayerMenu, ANameIsShownAsTextWithTheAddressAndADrawIsOfferedByItsShortcut) {
    TPair pair;
    pair.Listener.Boxes.AnswerInput(QStringLiteral("<i>Lena</i>\nL"));
    pair.Listener->YourName1->trigger();
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(WaitUntil([&] { return pair.Caller->Label6->text() == "<i>Lena</i> L"; }));
    const QString tip = pair.Caller->Label6->toolTip(); // read as markup: escaped
    EXPECT_TRUE(tip.contains("&lt;i&gt;Lena&lt;/i&gt;") && tip.contains("127.0.0.1"))
        << tip.toStdString();

    EXPECT_FALSE(pair.Listener->OfferDraw1->isEnabled());
    ASSERT_TRUE(pair.StartGame());
    ASSERT_TRUE(pair.Listener->OfferDraw1->isEnabled());
    pair.Caller.Boxes.AnswerConfirm(true);
    pair.Listener->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pair.Listener.Form.get()));
    QTest::keyClick(pair.Listener->Edit4, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(WaitUntil([&] { return !pair.Listener.InGame() && !pair.Caller.InGame(); }));
    EXPECT_EQ(pair.Caller.Boxes.Confirms(), QStringList{"Your opponent offers a draw. Agree?"});
}

// A chosen name outlives the program; the account's own name is not stored, so it follows the
// account.
TEST(PlayerMenu, AChosenNameIsRemembered) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("boardwick.conf"));
    EXPECT_TRUE(TPlayerName(file, "Ann").SetName(" Bea\t"));
    EXPECT_EQ(TPlayerName(file, "Ann").Name(), "Bea");
    EXPECT_TRUE(TPlayerName(file, "Ann").SetName("Ann"));
    EXPECT_EQ(TPlayerName(file, "Cid").Name(), "Cid");
}

} // namespace
