// Mouse actions on the icon: events, the popup menu, and restoring from the menu.
#include "components/TrayIcon.h"
#include "tests/components/FakeTrayShell.h"

#include <QCoreApplication>
#include <QMenu>
#include <QWidget>
#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <memory>
#include <stdexcept>

namespace {

// Builds a tray icon over a shown window and keeps a handle on its fake desktop.
struct Fixture {
    QWidget window;
    std::shared_ptr<FakeTrayRecord> record = std::make_shared<FakeTrayRecord>();
    FakeTrayShell *shell = nullptr;
    TTrayIcon *tray = nullptr;
    QStringList events;

    Fixture() {
        window.show();
        auto fake = std::make_unique<FakeTrayShell>(record);
        shell = fake.get();
        tray = new TTrayIcon(&window, std::move(fake));
        tray->FailureHandler = [this](const std::exception &e) {
            events << "Failure: " + QString(e.what());
        };
    }

    void RecordAll() {
        tray->OnClick = [this](QObject *s) { events << (s == tray ? "Click" : "Click?"); };
        tray->OnDblClick = [this](QObject *s) { events << (s == tray ? "DblClick" : "DblClick?"); };
        tray->OnRightClick = [this](QObject *s, Qt::MouseButton b, Qt::KeyboardModifiers k, int x,
                                    int y) {
            events << QStringLiteral("RightClick %1 %2 %3 %4 %5")
                          .arg(s == tray)
                          .arg(b == Qt::RightButton)
                          .arg(k == Qt::NoModifier)
                          .arg(x)
                          .arg(y);
        };
    }
};

struct MessageRow {
    const char *name;
    TTrayMessage message;
    QStringList events;
};

const MessageRow MessageRows[] = {
    {"LeftButtonUpClicks", TTrayMessage::LeftButtonUp, {"Click"}},
    {"DoubleClick", TTrayMessage::LeftButtonDoubleClick, {"DblClick"}},
    {"RightButtonUpCarriesCursor", TTrayMessage::RightButtonUp, {"RightClick 1 1 1 640 478"}},
    {"OtherIgnored", TTrayMessage::Other, {}},
};

class TrayMessageTest : public ::testing::TestWithParam<MessageRow> {};

TEST_P(TrayMessageTest, RaisesItsEvent) {
    Fixture f;
    f.RecordAll();
    f.shell->Send(GetParam().message);
    EXPECT_EQ(f.events, GetParam().events);
}

TEST_P(TrayMessageTest, UnassignedHandlersAreSkipped) {
    Fixture f;
    f.shell->Send(GetParam().message);
    EXPECT_TRUE(f.events.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Rows, TrayMessageTest, ::testing::ValuesIn(MessageRows),
                         test_rows::RowName);

struct MenuRow {
    const char *name;
    bool minimized; // the window is hidden behind the icon
    bool separate;
    bool withMenu;
    bool menuOpens;
};

const MenuRow MenuRows[] = {
    {"WindowShownNoMenu", false, false, true, false},
    {"WindowShownSeparateOpensMenu", false, true, true, true},
    {"WindowHiddenOpensMenu", true, false, true, true},
    {"WindowHiddenSeparateOpensMenu", true, true, true, true},
    {"NoMenuSet", true, false, false, false},
};

class TrayMenuTest : public ::testing::TestWithParam<MenuRow> {};

TEST_P(TrayMenuTest, MenuOpensOnlyWhileWindowHiddenOrSeparate) {
    const MenuRow &row = GetParam();
    Fixture f;
    QMenu menu;
    menu.addAction(QStringLiteral("Restore"));
    f.tray->SetActive(true);
    f.tray->SetSeparateIcon(row.separate);
    if (row.withMenu)
        f.tray->SetPopupMenu(&menu);
    if (row.minimized) {
        f.window.showMinimized();
        QCoreApplication::sendPostedEvents();
    }
    ASSERT_EQ(f.window.isVisible(), !row.minimized);
    f.RecordAll();
    f.shell->Cursor = QPoint(300, 200);
    f.shell->Send(TTrayMessage::RightButtonUp);
    EXPECT_EQ(menu.isVisible(), row.menuOpens);
    if (row.menuOpens) {
        EXPECT_EQ(menu.pos(), QPoint(300, 200));
    }
    EXPECT_EQ(f.events, QStringList{"RightClick 1 1 1 300 200"});
    menu.hide();
}

INSTANTIATE_TEST_SUITE_P(Rows, TrayMenuTest, ::testing::ValuesIn(MenuRows), test_rows::RowName);

TEST(TrayMouse, FailingHandlerGoesToFailureHandler) {
    Fixture f;
    f.tray->OnClick = [](QObject *) { throw std::runtime_error("handler failed"); };
    f.shell->Send(TTrayMessage::LeftButtonUp);
    EXPECT_EQ(f.events, QStringList{"Failure: handler failed"});
}

TEST(TrayMouse, RestoreFromMenuBringsWindowBackAndRemovesIcon) {
    Fixture f;
    QMenu menu;
    QAction *restore = menu.addAction(QStringLiteral("Restore"));
    QObject::connect(restore, &QAction::triggered, &f.window, [&f] {
        if (f.window.isMinimized())
            f.window.showNormal();
    });
    f.tray->SetPopupMenu(&menu);
    f.tray->SetActive(true);
    f.window.showMinimized();
    QCoreApplication::sendPostedEvents();
    ASSERT_FALSE(f.window.isVisible());
    ASSERT_TRUE(f.tray->IconShown());

    f.shell->Send(TTrayMessage::RightButtonUp);
    ASSERT_TRUE(menu.isVisible());
    restore->trigger();
    menu.hide();

    EXPECT_TRUE(f.window.isVisible());
    EXPECT_FALSE(f.window.isMinimized());
    EXPECT_FALSE(f.tray->IconShown());
    EXPECT_EQ(f.record->Calls, (QStringList{"Delete", "Add", "Delete"}));

    restore->trigger(); // not minimised: nothing changes
    EXPECT_EQ(f.record->Calls, (QStringList{"Delete", "Add", "Delete"}));
}

} // namespace
