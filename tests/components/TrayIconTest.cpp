// The icon's life: which operations show, update and remove it, and what the window does.
#include "components/TrayIcon.h"
#include "tests/components/FakeTrayShell.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <memory>
#include <vector>

namespace {

enum class Op { Activate, Deactivate, SeparateOn, SeparateOff, Minimize, Restore };

struct LifeRow {
    const char *name;
    bool hasArea;
    bool refuseAdd;
    std::vector<Op> ops;
    QStringList calls;
    bool shown;
    bool minimized;
    bool windowVisible;
    QStringList events;
};

const QString Refused = QStringLiteral("Failure: Cannot create shell notification icon");

const LifeRow LifeRows[] = {
    {"ActivateWhileNormalShowsNothing",
     true,
     false,
     {Op::Activate},
     {"Delete"},
     false,
     false,
     true,
     {}},
    {"MinimizeShowsIconAndHidesWindow",
     true,
     false,
     {Op::Activate, Op::Minimize},
     {"Delete", "Add"},
     true,
     true,
     false,
     {"Minimize"}},
    {"RestoreRemovesIconAndShowsWindow",
     true,
     false,
     {Op::Activate, Op::Minimize, Op::Restore},
     {"Delete", "Add", "Delete"},
     false,
     false,
     true,
     {"Minimize", "Restore"}},
    {"RestoreKeepsSeparateIcon",
     true,
     false,
     {Op::Activate, Op::SeparateOn, Op::Minimize, Op::Restore},
     {"Delete", "Add"},
     true,
     false,
     true,
     {"Minimize", "Restore"}},
    {"ActivateWhileMinimizedWithSeparate",
     true,
     false,
     {Op::SeparateOn, Op::Minimize, Op::Activate},
     {"Add"},
     true,
     true,
     true,
     {"Minimize"}},
    {"ActivateWhileMinimized",
     true,
     false,
     {Op::Minimize, Op::Activate},
     {"Add"},
     true,
     true,
     true,
     {"Minimize"}},
    {"SeparateOnWhileNormalShowsIcon",
     true,
     false,
     {Op::Activate, Op::SeparateOn},
     {"Delete", "Add"},
     true,
     false,
     true,
     {}},
    {"SeparateOffWhileNormalRemovesIcon",
     true,
     false,
     {Op::Activate, Op::SeparateOn, Op::SeparateOff},
     {"Delete", "Add", "Delete"},
     false,
     false,
     true,
     {}},
    {"SeparateOffWhileMinimizedKeepsIcon",
     true,
     false,
     {Op::Activate, Op::Minimize, Op::SeparateOn, Op::SeparateOff},
     {"Delete", "Add"},
     true,
     true,
     false,
     {"Minimize"}},
    {"SeparateOnWhileInactiveDoesNothing",
     true,
     false,
     {Op::SeparateOn},
     {},
     false,
     false,
     true,
     {}},
    // The window is never left hidden without an icon to bring it back.
    {"DeactivateWhileMinimizedShowsWindowAgain",
     true,
     false,
     {Op::Activate, Op::Minimize, Op::Deactivate},
     {"Delete", "Add", "Delete"},
     false,
     true,
     true,
     {"Minimize"}},
    {"NoAreaSkipsEveryCall",
     false,
     false,
     {Op::Activate, Op::SeparateOn, Op::Minimize, Op::Restore, Op::SeparateOff, Op::Deactivate},
     {},
     false,
     false,
     true,
     {"Minimize", "Restore"}},
    {"NoAreaMinimizeKeepsWindow",
     false,
     false,
     {Op::Activate, Op::Minimize},
     {},
     false,
     true,
     true,
     {"Minimize"}},
    {"RefusedAddKeepsWindowReachable",
     true,
     true,
     {Op::Activate, Op::Minimize},
     {"Delete", "Add"},
     false,
     true,
     true,
     {Refused}},
    {"RestoreAfterRefusedAdd",
     true,
     true,
     {Op::Activate, Op::Minimize, Op::Restore},
     {"Delete", "Add", "Delete"},
     false,
     false,
     true,
     {Refused, "Restore"}},
};

class TrayLifeTest : public ::testing::TestWithParam<LifeRow> {};

TEST_P(TrayLifeTest, IconFollowsActiveMinimizedAndSeparate) {
    const LifeRow &row = GetParam();
    QWidget window;
    window.show();
    auto record = std::make_shared<FakeTrayRecord>();
    record->RefuseAdd = row.refuseAdd;
    auto *tray = new TTrayIcon(&window, std::make_unique<FakeTrayShell>(record, row.hasArea));
    QStringList events;
    tray->OnMinimize = [&](QObject *sender) {
        events << (sender == qApp ? "Minimize" : "Minimize?");
    };
    tray->OnRestore = [&](QObject *sender) { events << (sender == qApp ? "Restore" : "Restore?"); };
    tray->FailureHandler = [&](const std::exception &e) {
        events << "Failure: " + QString(e.what());
    };

    for (Op op : row.ops) {
        switch (op) {
        case Op::Activate:
            tray->SetActive(true);
            break;
        case Op::Deactivate:
            tray->SetActive(false);
            break;
        case Op::SeparateOn:
            tray->SetSeparateIcon(true);
            break;
        case Op::SeparateOff:
            tray->SetSeparateIcon(false);
            break;
        case Op::Minimize:
            window.setWindowState(window.windowState() | Qt::WindowMinimized);
            break;
        case Op::Restore:
            window.showNormal();
            break;
        }
        QCoreApplication::sendPostedEvents();
    }

    EXPECT_EQ(record->Calls, row.calls);
    EXPECT_EQ(tray->IconShown(), row.shown);
    EXPECT_EQ(tray->Minimized(), row.minimized);
    EXPECT_EQ(window.isVisible(), row.windowVisible);
    EXPECT_EQ(events, row.events);
}

INSTANTIATE_TEST_SUITE_P(Rows, TrayLifeTest, ::testing::ValuesIn(LifeRows), test_rows::RowName);

TEST(TrayIcon, RefusedAddRaisesAndLeavesIconAbsent) {
    QWidget window;
    auto record = std::make_shared<FakeTrayRecord>();
    auto *tray = new TTrayIcon(&window, std::make_unique<FakeTrayShell>(record));
    tray->SetActive(true);
    record->RefuseAdd = true;
    try {
        tray->SetSeparateIcon(true);
        FAIL() << "no failure raised";
    } catch (const EOutOfResources &e) {
        EXPECT_STREQ(e.what(), "Cannot create shell notification icon");
    }
    EXPECT_FALSE(tray->IconShown());
    record->RefuseAdd = false;
    tray->AddIcon(); // a later attempt is not blocked by the refusal
    EXPECT_TRUE(tray->IconShown());
}

struct HintRow {
    const char *name;
    bool active;
    QString first; // set before the calls are counted; empty = not set
    QString second;
    QStringList calls;
    QString tip;
    bool hasTip;
};

const QString Long100 = QString(100, QLatin1Char('x'));
const QString Exact63 = QString(63, QLatin1Char('y'));
const QString Emoji = QString::fromUtf8("\xf0\x9f\x98\x80");

const HintRow HintRows[] = {
    {"SameValueMakesNoCall", true, "Boardwick", "Boardwick", {}, "Boardwick", true},
    {"NewValueUpdatesIcon", true, "", "White to move", {"Modify"}, "White to move", true},
    {"LongTipCut", true, "", Long100, {"Modify"}, Long100.left(63), true},
    {"TipOfExactly63Kept", true, "", Exact63, {"Modify"}, Exact63, true},
    {"EmptyClearsTipFlag", true, "Boardwick", "", {"Modify"}, "", false},
    {"CutNeverSplitsACharacter",
     true,
     "",
     QString(62, QLatin1Char('a')) + Emoji + "b",
     {"Modify"},
     QString(62, QLatin1Char('a')),
     true},
    {"InactiveStoresWithoutCall", false, "", "Later", {}, "Later", true},
    {"ComparisonIsExact", true, "Boardwick", "boardwick", {"Modify"}, "boardwick", true},
    {"MarkupIsEscaped", true, "", "<b>&</b>", {"Modify"}, "&lt;b&gt;&amp;&lt;/b&gt;", true},
};

class TrayHintTest : public ::testing::TestWithParam<HintRow> {};

TEST_P(TrayHintTest, TipFollowsHint) {
    const HintRow &row = GetParam();
    QWidget window;
    auto record = std::make_shared<FakeTrayRecord>();
    auto *tray = new TTrayIcon(&window, std::make_unique<FakeTrayShell>(record));
    tray->SetActive(row.active);
    if (!row.first.isEmpty())
        tray->SetHint(row.first);
    record->Calls.clear();
    tray->SetHint(row.second);
    EXPECT_EQ(record->Calls, row.calls);
    EXPECT_EQ(tray->Hint(), row.second);
    EXPECT_EQ(tray->NotifyData().Tip, row.tip);
    EXPECT_EQ(tray->NotifyData().HasTip, row.hasTip);
    if (!row.calls.isEmpty()) {
        EXPECT_EQ(record->Data.back().Tip, row.tip);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, TrayHintTest, ::testing::ValuesIn(HintRows), test_rows::RowName);

class AppNameGuard {
  public:
    explicit AppNameGuard(const QString &name) : Saved(QCoreApplication::applicationName()) {
        QCoreApplication::setApplicationName(name);
    }
    ~AppNameGuard() { QCoreApplication::setApplicationName(Saved); }

  private:
    QString Saved;
};

TEST(TrayIcon, TipStartsAsApplicationTitleCut) {
    for (const QString &title : {QStringLiteral("Boardwick ver 1.00"), Long100}) {
        AppNameGuard guard(title);
        QWidget window;
        auto *tray = new TTrayIcon(
            &window, std::make_unique<FakeTrayShell>(std::make_shared<FakeTrayRecord>()));
        EXPECT_EQ(tray->NotifyData().Tip, title.left(63));
        EXPECT_TRUE(tray->NotifyData().HasTip);
        EXPECT_TRUE(tray->Hint().isEmpty());
    }
}

TEST(TrayIcon, IconChangesReachTheDesktopOnce) {
    QWidget window;
    auto record = std::make_shared<FakeTrayRecord>();
    auto *tray = new TTrayIcon(&window, std::make_unique<FakeTrayShell>(record));
    QPixmap red(16, 16);
    red.fill(Qt::red);
    const QIcon icon(red);
    tray->SetIcon(icon); // inactive: stored, desktop not asked
    EXPECT_TRUE(record->Calls.isEmpty());
    tray->SetActive(true);
    tray->SetSeparateIcon(true);
    record->Calls.clear();
    tray->SetIcon(icon); // the same picture again
    EXPECT_TRUE(record->Calls.isEmpty());
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    tray->SetIcon(QIcon(blue));
    ASSERT_EQ(record->Calls, QStringList{"Modify"});
    EXPECT_EQ(record->Data.back().Icon.cacheKey(), tray->Icon().cacheKey());
    EXPECT_NE(tray->Icon().cacheKey(), icon.cacheKey());
}

TEST(TrayIcon, MessagesReachTheDesktopEscaped) {
    QWidget window;
    auto record = std::make_shared<FakeTrayRecord>();
    auto *tray = new TTrayIcon(&window, std::make_unique<FakeTrayShell>(record));
    tray->SetActive(true);
    tray->ShowMessage(QStringLiteral("<img src=\"file:///etc/passwd\">"),
                      QStringLiteral("<a href=\"http://x\">y</a>"));
    EXPECT_EQ(record->Messages, QStringList{"&lt;img src=&quot;file:///etc/passwd&quot;&gt;|"
                                            "&lt;a href=&quot;http://x&quot;&gt;y&lt;/a&gt;"});
}

TEST(TrayIcon, CreatedOverMinimizedWindowShowsIconWhenActivated) {
    QWidget window;
    window.showMinimized();
    auto record = std::make_shared<FakeTrayRecord>();
    auto *tray = new TTrayIcon(&window, std::make_unique<FakeTrayShell>(record));
    EXPECT_TRUE(tray->Minimized());
    tray->SetActive(true);
    EXPECT_EQ(record->Calls, QStringList{"Add"});
}

TEST(TrayIcon, DestructionRemovesShownIcon) {
    QWidget window;
    auto record = std::make_shared<FakeTrayRecord>();
    {
        TTrayIcon tray(&window, std::make_unique<FakeTrayShell>(record));
        tray.SetActive(true);
        tray.SetSeparateIcon(true);
    }
    EXPECT_EQ(record->Calls, (QStringList{"Delete", "Add", "Delete"}));
}

TEST(TrayIcon, NewestIconAloneHandlesTheWindow) {
    QWidget window;
    window.show();
    QStringList events;
    auto *first =
        new TTrayIcon(&window, std::make_unique<FakeTrayShell>(std::make_shared<FakeTrayRecord>()));
    auto *second =
        new TTrayIcon(&window, std::make_unique<FakeTrayShell>(std::make_shared<FakeTrayRecord>()));
    first->OnMinimize = [&](QObject *) { events << "first"; };
    second->OnMinimize = [&](QObject *) { events << "second"; };
    window.showMinimized();
    EXPECT_EQ(events, QStringList{"second"});
}

} // namespace
