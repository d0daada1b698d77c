// The tray icon against a real notification area (a tray host on a private X display).
#include "components/TrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Moves the real pointer to point and presses and releases button there.
bool ClickAt(QPoint point, int button) {
    QProcess xdotool;
    QSignalSpy finished(&xdotool, &QProcess::finished);
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QString::number(point.x()),
                   QString::number(point.y()), QStringLiteral("click"), QString::number(button)});
    return finished.wait(5000) && xdotool.exitCode() == 0;
}

class DesktopTray : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
        QPixmap red(22, 22);
        red.fill(Qt::red);
        QApplication::setWindowIcon(QIcon(red));
        window.resize(200, 100);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        restore = menu.addAction(QStringLiteral("Restore"));
        QObject::connect(restore, &QAction::triggered, &window, [this] {
            if (window.isMinimized())
                window.showNormal();
        });
        auto real = std::make_unique<TSystemTrayShell>();
        shell = real.get();
        tray = new TTrayIcon(&window, std::move(real));
        tray->SetPopupMenu(&menu);
        tray->OnClick = [this](QObject *) { events << QStringLiteral("Click"); };
        tray->OnRightClick = [this](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int x,
                                    int y) {
            events << QStringLiteral("RightClick %1 %2").arg(x).arg(y);
        };
        ASSERT_TRUE(tray->ShellAvailable());
    }

    // The icon's centre once the host has placed it in its panel (BOARDWICK_TRAY_AREA: x,y,w,h).
    QPoint IconCentre() {
        const QStringList area = qEnvironmentVariable("BOARDWICK_TRAY_AREA").split(u',');
        EXPECT_EQ(area.size(), 4) << "run through run-with-tray.sh";
        if (area.size() != 4)
            return {};
        const QRect panel(area[0].toInt(), area[1].toInt(), area[2].toInt(), area[3].toInt());
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel.contains(shell->IconGeometry()); }, 5000))
            << "icon not placed in the notification area";
        return shell->IconGeometry().center();
    }

    QWidget window;
    QMenu menu;
    QAction *restore = nullptr;
    TSystemTrayShell *shell = nullptr;
    TTrayIcon *tray = nullptr;
    QStringList events;
};

TEST_F(DesktopTray, MinimiseRightClickRestore) {
    tray->SetActive(true);
    EXPECT_FALSE(tray->IconShown());
    window.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window.isVisible(); }, 5000));
    ASSERT_TRUE(tray->IconShown());

    const QPoint centre = IconCentre();
    ASSERT_TRUE(ClickAt(centre, 3));
    ASSERT_TRUE(QTest::qWaitFor([this] { return menu.isVisible(); }, 5000));
    EXPECT_EQ(events,
              QStringList{QStringLiteral("RightClick %1 %2").arg(centre.x()).arg(centre.y())});

    restore->trigger();
    menu.hide();
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return window.isVisible() && !window.isMinimized(); }, 5000));
    EXPECT_FALSE(tray->IconShown());
    EXPECT_TRUE(shell->IconGeometry().isEmpty());
}

TEST_F(DesktopTray, SeparateIconClicksWhileWindowShown) {
    tray->SetActive(true);
    tray->SetSeparateIcon(true);
    ASSERT_TRUE(tray->IconShown());
    const QPoint centre = IconCentre();

    ASSERT_TRUE(ClickAt(centre, 1));
    ASSERT_TRUE(QTest::qWaitFor([this] { return events.contains(QStringLiteral("Click")); }, 5000));
    ASSERT_TRUE(ClickAt(centre, 3));
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return menu.isVisible(); }, 5000)); // separate icon: menu opens
    menu.hide();

    tray->SetSeparateIcon(false);
    EXPECT_FALSE(tray->IconShown());
    EXPECT_TRUE(shell->IconGeometry().isEmpty());
    EXPECT_TRUE(window.isVisible());
}

} // namespace
