#include "app/BoardwickApplication.h"
#include "app/Unit1.h"
#include "app/session/PreciseTimer.h"
#include "components/TrayIcon.h"
#include "net/SocketError.h"
#include "tests/session/SessionFixture.h"

#include "tests/common/Rows.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QMenu>
#include <QScrollBar>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace session_test;

namespace {

struct ControlRow {
    const char *name;
    QRect geometry; // width/height 0: sized to its text
    const char *text;
    const char *hint;
    bool enabled;
};
using test_rows::PrintTo;

class Layout : public ::testing::TestWithParam<ControlRow> {};

TEST_P(Layout, ControlStandsWhereItBelongs) {
    TWindow window;
    const auto &row = GetParam();
    auto *widget = window->findChild<QWidget *>(QLatin1String(row.name));
    ASSERT_NE(widget, nullptr) << row.name;
    EXPECT_EQ(widget->pos(), row.geometry.topLeft());
    if (row.geometry.width() > 0) {
        EXPECT_EQ(widget->size(), row.geometry.size());
    }
    EXPECT_EQ(widget->isEnabled(), row.enabled);
    EXPECT_EQ(widget->toolTip(), QString::fromUtf8(row.hint));
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        EXPECT_EQ(button->text(), QString::fromUtf8(row.text));
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        EXPECT_EQ(label->text(), QString::fromUtf8(row.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, Layout,
    ::testing::Values(ControlRow{"BitBtn3", {8, 0, 97, 25}, "New Game", "", true},
                      ControlRow{"BitBtn4", {104, 0, 97, 25}, "Resign Game", "", false},
                      ControlRow{"Button1", {200, 0, 97, 25}, "White on Top", "", true},
                      ControlRow{"BitBtn6", {296, 0, 89, 25}, "Connect", "", true},
                      ControlRow{"BitBtn5", {400, 0, 25, 25}, "", "", true},
                      ControlRow{"ChessBrd1", {8, 28, 296, 296}, "", "", false},
                      ControlRow{"Label2", {312, 26, 0, 0}, "Your IP is :", "", true},
                      ControlRow{"Label4", {320, 40, 0, 0}, "127.0.0.1", "", true},
                      ControlRow{"Label5", {312, 58, 0, 0}, "Your opponent is : ", "", true},
                      ControlRow{"Label6", {320, 72, 0, 0}, "None", "", true},
                      ControlRow{"Label1", {312, 114, 0, 0}, "White time :", "", true},
                      ControlRow{"Edit2", {376, 114, 41, 20}, "", "", false},
                      ControlRow{"Label7", {312, 138, 0, 0}, "Black time :", "", true},
                      ControlRow{"Edit1", {376, 138, 41, 20}, "", "", false},
                      ControlRow{"Label3", {312, 162, 0, 0}, "Move list :", "", true},
                      ControlRow{"Memo", {312, 178, 113, 121}, "", "Move List", true},
                      ControlRow{"BitBtn1", {312, 306, 17, 17}, "", "", false},
                      ControlRow{"Button2", {336, 306, 65, 17}, "< OFF >", "", false},
                      ControlRow{"BitBtn2", {408, 306, 17, 17}, "", "", false},
                      ControlRow{"Memo1", {8, 328, 417, 57}, "", "Messages Window", true},
                      ControlRow{"Edit4", {8, 386, 417, 20}, "", "Type here to sent message", true},
                      ControlRow{"StatusBar1", {0, 422, 433, 19}, "", "", true}),
    test_rows::RowName);

TEST(MainWindow, FrameCaptionAndFont) {
    TWindow window;
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Boardwick ver 1.01"));
    EXPECT_EQ(window->size(), QSize(433, 441));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window->font().pixelSize(), 11);
    EXPECT_EQ(QFontInfo(window->font()).family(), QStringLiteral("Liberation Sans"));
}

TEST(MainWindow, StatusPanelsAre150And150AndTheRest) {
    TWindow window;
    auto *bar = window->StatusBar1;
    EXPECT_EQ(bar->Panel(0)->x(), 0);
    EXPECT_EQ(bar->Panel(1)->x(), 150);
    EXPECT_EQ(bar->Panel(2)->x(), 300);
    EXPECT_EQ(bar->Panel(2)->geometry().right(), 432);
}

TEST(MainWindow, LongStatusTextsAndLongGamesStayInSight) {
    TPair pair;
    const QString reason =
        QStringLiteral("Game not saved: Cannot create /home/player/.local/share/x");
    pair.Listener->StatusBar1->SetPanelText(1, reason);
    EXPECT_EQ(pair.Listener->StatusBar1->Panel(1)->toolTip(), reason);
    ASSERT_TRUE(pair.Connect() && pair.StartGame());
    ASSERT_TRUE(PlayMoves(pair, {{"E2", "E4"},
                                 {"E7", "E5"},
                                 {"G1", "F3"},
                                 {"B8", "C6"},
                                 {"F1", "C4"},
                                 {"G8", "F6"},
                                 {"D2", "D3"},
                                 {"F8", "C5"},
                                 {"C2", "C3"},
                                 {"D7", "D6"},
                                 {"B1", "D2"},
                                 {"C8", "E6"}}));
    const QScrollBar *bar = pair.Caller->Memo->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(MainWindow, StartsWaitingForACall) {
    TWindow window;
    EXPECT_EQ(window->Session().TimePerSide(), 45);
    EXPECT_FALSE(window->Session().IsServer());
    EXPECT_NE(window->ListeningPort(), 0);
    EXPECT_EQ(window.Panel(0), QString());
    EXPECT_EQ(window.Panel(1), QString());
    EXPECT_EQ(window.Panel(2), QStringLiteral("Waiting for a call ..."));
    EXPECT_EQ(window->Edit1->text(), QString());
    EXPECT_EQ(window->Edit2->text(), QString());
    EXPECT_TRUE(window.MoveList().isEmpty());
    EXPECT_FALSE(window->Session().Timer().Enabled());
    EXPECT_EQ(window->Session().Timer().Interval, 1000);
    EXPECT_TRUE(window.Boxes.Log().isEmpty());
}

struct FocusRow {
    const char *name;
    bool inGame; // connected with a game running: Resign and the step buttons enabled
    QStringList order;
};
class FocusOrder : public ::testing::TestWithParam<FocusRow> {};

TEST_P(FocusOrder, TabVisitsEnabledControlsInLayoutOrder) {
    TPair pair;
    if (GetParam().inGame) {
        ASSERT_TRUE(pair.Connect());
        ASSERT_TRUE(pair.StartGame());
    }
    TWindow &window = pair.Caller;
    QApplication::setActiveWindow(window.Form.get());
    const QString first = GetParam().order.front();
    window->findChild<QWidget *>(first)->setFocus();
    QStringList order;
    for (qsizetype i = 0; i < GetParam().order.size(); ++i) {
        QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        order << focused->objectName();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    EXPECT_EQ(order, GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(Rows, FocusOrder,
                         ::testing::Values(
                             // Resign, the step buttons and the clocks are disabled at start.
                             FocusRow{"AtStart",
                                      false,
                                      {"BitBtn3", "Button1", "BitBtn6", "BitBtn5", "Memo", "Edit4",
                                       "BitBtn3"}},
                             // New Game is disabled while a game runs; the clocks stay disabled.
                             FocusRow{"InGame",
                                      true,
                                      {"BitBtn4", "Button1", "BitBtn6", "BitBtn5", "Memo",
                                       "BitBtn1", "Button2", "BitBtn2", "Edit4", "BitBtn4"}}),
                         test_rows::RowName);

TEST(MainWindow, TrayMenuRestoreAndExit) {
    TWindow window;
    ASSERT_EQ(window->PopupMenu1->actions().size(), 3);
    EXPECT_EQ(window->PopupMenu1->actions()[1], window->YourName1);
    EXPECT_EQ(window->Restore1->text(), QStringLiteral("Restore"));
    EXPECT_EQ(window->Exit1->text(), QStringLiteral("Exit"));
    window->Restore1->trigger(); // not minimised: nothing changes
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    window->Exit1->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Sockets().ServerSocket->Active());
}

// A desktop notification area that accepts every icon.
class TFakeTrayShell final : public TTrayShell {
  public:
    bool HasNotificationArea() const override { return true; }
    bool Add(const TTrayIconData &data) override { return Tip = data.Tip, Shown = true; }
    bool Modify(const TTrayIconData &data) override { return Tip = data.Tip, true; }
    bool Delete() override { return !(Shown = false); }
    QPoint CursorPos() const override { return {}; }
    void ShowMessage(const TTrayIconData &, const QString &, const QString &) override {}
    bool Shown = false;
    QString Tip;
};

// A window whose notification area is the fake above, minimised into it.
struct TTrayedWindow {
    TTrayedWindow()
        : Window(1024, 0, [this](TMainFormSeams &seams) {
              auto shell = std::make_unique<TFakeTrayShell>();
              Tray = shell.get();
              seams.TrayShell = std::move(shell);
          }) {
        EXPECT_FALSE(Tray->Shown);
        Window->showMinimized();
        EXPECT_TRUE(WaitUntil([&] { return Tray->Shown && !Window->isVisible(); }));
    }
    TFakeTrayShell *Tray = nullptr;
    TWindow Window;
};

TEST(MainWindow, MinimisesToTheTrayAndRestoresFromItsMenu) {
    TTrayedWindow trayed;
    EXPECT_EQ(trayed.Tray->Tip, QCoreApplication::applicationName());
    trayed.Window->Restore1->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !trayed.Tray->Shown && trayed.Window->isVisible(); }));
    EXPECT_FALSE(trayed.Window->isMinimized());
}

// Exit from the tray menu ends the program even while the window is hidden in the tray.
TEST(MainWindow, TrayExitEndsTheProgramFromTheTray) {
    TTrayedWindow trayed;
    trayed.Window->Exit1->trigger();
    EXPECT_EQ(trayed.Window.Quits, 1);
    EXPECT_FALSE(trayed.Tray->Shown);
    EXPECT_FALSE(trayed.Window->Sockets().ServerSocket->Active());
}

// A desktop that refuses the icon: the failure reaches the error box, not just a log line.
class TRefusingTrayShell final : public TTrayShell {
  public:
    bool HasNotificationArea() const override { return true; }
    bool Add(const TTrayIconData &) override { return false; }
    bool Modify(const TTrayIconData &) override { return false; }
    bool Delete() override { return true; }
    QPoint CursorPos() const override { return {}; }
    void ShowMessage(const TTrayIconData &, const QString &, const QString &) override {}
};

TEST(MainWindow, RefusedTrayIconIsShownInTheErrorBox) {
    TBoxes boxes;
    TMainFormSeams seams;
    seams.ListenPort = 0;
    seams.Dialogs = &boxes;
    seams.TrayShell = std::make_unique<TRefusingTrayShell>();
    TMainForm form(std::move(seams));
    form.show();
    form.showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Errors().isEmpty(); }));
    EXPECT_EQ(boxes.Errors(), QStringList{"Cannot create shell notification icon."});
    // Without an icon to bring it back, the window keeps its task-bar entry.
    EXPECT_TRUE(form.isVisible());
}

struct ErrorBoxRow {
    const char *name;
    bool fromSocket; // raised in a socket's event rather than in any other handler
    std::function<void()> fail;
    const char *shown;
};
class ErrorBox : public ::testing::TestWithParam<ErrorBoxRow> {};

TEST_P(ErrorBox, FailuresEndInTheErrorBoxWithTheFullStopRule) {
    TBoxes boxes;
    const auto report = InstallErrorBox(boxes);
    struct Restore {
        ~Restore() { SetSocketExceptionHandler({}); }
    } restore;
    if (GetParam().fromSocket)
        RunSocketStep(GetParam().fail);
    else
        DeliverGuarded(
            [&] {
                GetParam().fail();
                return true;
            },
            report);
    EXPECT_EQ(boxes.Errors(), QStringList{QString::fromUtf8(GetParam().shown)});
    EXPECT_EQ(boxes.Log().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ErrorBox,
    ::testing::Values(ErrorBoxRow{"HandlerFailure", false,
                                  [] { throw std::runtime_error("Bad move 7"); }, "Bad move 7."},
                      ErrorBoxRow{"SocketFailure", true, [] { throw AsyncSocketError(10061); },
                                  "Asynchronous socket error 10061."},
                      ErrorBoxRow{"SocketFailureEndingInAQuote", true,
                                  [] {
                                      throw std::runtime_error(
                                          "Windows socket error: x (99), on API 'connect'");
                                  },
                                  "Windows socket error: x (99), on API 'connect'"},
                      ErrorBoxRow{"ForeignSocketFailure", true, [] { throw 42; },
                                  "Unknown failure."}),
    test_rows::RowName);

TEST(AboutBox, OpensFromTheButtonAndSetsTheNextGamesTime) {
    TWindow window;
    TForm1 box(nullptr, &window.Boxes);
    window->AttachAboutBox(&box);
    bool shown = false;
    QTimer::singleShot(0, &box, [&] {
        shown = box.isVisible();
        box.Button1Click();
    });
    window->BitBtn5Click();
    EXPECT_TRUE(shown);
    window.Boxes.AnswerInput(QStringLiteral("3"));
    box.Label5DblClick(box.Label5);
    EXPECT_EQ(window->Session().TimePerSide(), 5);
    window.Boxes.AnswerInput(QStringLiteral("120"));
    box.Label5DblClick(box.Label5);
    EXPECT_EQ(window->Session().TimePerSide(), 120);
}

TEST(AboutBox, TimeSettingDoesNothingDuringAGame) {
    TPair pair;
    TForm1 box(nullptr, &pair.Listener.Boxes);
    pair.Listener->AttachAboutBox(&box);
    ASSERT_TRUE(pair.Connect());
    ASSERT_TRUE(pair.StartGame());
    box.Label5DblClick(box.Label5);
    EXPECT_TRUE(pair.Listener.Boxes.Inputs().isEmpty());
    pair.Listener->BitBtn4Click();
    // After the game the setting is offered again and announced with the next New Game.
    pair.Listener.Boxes.AnswerInput(QStringLiteral("$10"));
    box.Label5DblClick(box.Label5);
    ASSERT_TRUE(WaitUntil([&] { return !pair.Caller.InGame(); }));
    ASSERT_TRUE(pair.StartGame());
    EXPECT_EQ(pair.Caller->Session().TimePerSide(), 16);
    EXPECT_EQ(pair.Caller->Edit2->text(), QStringLiteral("16:0"));
}

struct ResolverRow {
    const char *name;
    std::optional<QStringList> addresses;
    QList<TInterfaceAddress> interfaces;
    const char *shown;
    bool connectEnabled;
};
class LocalAddress : public ::testing::TestWithParam<ResolverRow> {};

TEST_P(LocalAddress, ShowsTheAddressToCallOrNoNetwork) {
    TBoxes boxes;
    TMainFormSeams seams;
    seams.ListenPort = 0;
    seams.Dialogs = &boxes;
    const auto addresses = GetParam().addresses;
    const auto interfaces = GetParam().interfaces;
    seams.LocalAddresses = [addresses] { return addresses; };
    seams.LocalInterfaces = [interfaces] { return interfaces; };
    TMainForm form(std::move(seams));
    EXPECT_EQ(form.Label4->text(), QString::fromUtf8(GetParam().shown));
    EXPECT_EQ(form.BitBtn6->isEnabled(), GetParam().connectEnabled);
    // Listening goes on whatever the lookup gave.
    EXPECT_TRUE(form.Sockets().ServerSocket->Active());
    EXPECT_EQ(form.StatusBar1->PanelText(2), QStringLiteral("Waiting for a call ..."));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LocalAddress,
    ::testing::Values(
        ResolverRow{"One", QStringList{"192.0.2.7"}, {}, "192.0.2.7", true},
        ResolverRow{"SeveralLastWins",
                    QStringList{"192.0.2.1", "192.0.2.7", "203.0.113.3"},
                    {{"198.51.100.9", true}},
                    "203.0.113.3",
                    true},
        ResolverRow{"LoopbackGivesWayToAnInterface",
                    QStringList{"127.0.1.1"},
                    {{"127.0.0.1", true}, {"198.51.100.5", true}},
                    "198.51.100.5",
                    true},
        ResolverRow{
            "LoopbackWithoutInterfaceStays", QStringList{"127.0.1.1"}, {}, "127.0.1.1", true},
        ResolverRow{"EmptyList", QStringList{}, {{"198.51.100.5", true}}, "198.51.100.5", true},
        ResolverRow{"DoesNotResolve", std::nullopt, {{"198.51.100.5", true}}, "198.51.100.5", true},
        ResolverRow{
            "NoUsableInterface", std::nullopt, {{"127.0.0.1", true}}, "No network..", false}),
    test_rows::RowName);

TEST(MainWindow, SystemResolverGivesAnAddressOrNoNetwork) {
    TBoxes boxes;
    TMainFormSeams seams;
    seams.ListenPort = 0;
    seams.Dialogs = &boxes;
    TMainForm form(std::move(seams));
    const QString shown = form.GetLocalIPAddress();
    EXPECT_TRUE(shown == QStringLiteral("No network..") || shown.isEmpty() ||
                !QHostAddress(shown).isNull())
        << shown.toStdString();
}

TEST(MainWindow, TakenPortIsReportedAndTheWindowStillWorks) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::AnyIPv4, 0));
    TWindow window(1024, holder.serverPort());
    ASSERT_EQ(window.Boxes.Errors().size(), 1);
    EXPECT_TRUE(window.Boxes.Errors().front().contains(QStringLiteral("on API 'bind'")))
        << window.Boxes.Errors().front().toStdString();
    EXPECT_FALSE(window->Sockets().ServerSocket->Active());
    // The other start-up steps still ran; nothing listens, so panel 2 stays empty.
    EXPECT_EQ(window->Label4->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(window->Label6->text(), QStringLiteral("None"));
    EXPECT_EQ(window.Panel(2), QString());
    EXPECT_TRUE(window->BitBtn6->isEnabled());
}

TEST(MainWindow, SecondWindowOnTheSamePortCanStillCallOut) {
    TWindow first;
    TWindow second(first->ListeningPort(), first->ListeningPort());
    ASSERT_EQ(second.Boxes.Errors().size(), 1);
    second.Boxes.AnswerInput(QStringLiteral("127.0.0.1"));
    second->BitBtn6Click();
    EXPECT_TRUE(WaitUntil([&] { return first.Connected() && second.Connected(); }));
    second->Edit4->setText(QStringLiteral("hello"));
    second->Edit4KeyDown(13);
    EXPECT_TRUE(WaitUntil([&] { return first.Messages() == QStringList{"hello"}; }));
}

struct FailureRow {
    const char *name;
    std::function<bool()> deliver;
    bool result;
    const char *reported; // nullptr: nothing reported
};
class Guarded : public ::testing::TestWithParam<FailureRow> {};

TEST_P(Guarded, FailureLeavingAHandlerIsReportedNotPropagated) {
    QStringList reported;
    const bool result = DeliverGuarded(GetParam().deliver, [&](const std::exception &failure) {
        reported << QString::fromUtf8(failure.what());
    });
    EXPECT_EQ(result, GetParam().result);
    EXPECT_EQ(reported, GetParam().reported ? QStringList{GetParam().reported} : QStringList{});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Guarded,
    ::testing::Values(
        FailureRow{"Handled", [] { return true; }, true, nullptr},
        FailureRow{"NotHandled", [] { return false; }, false, nullptr},
        FailureRow{"StdFailure",
                   []() -> bool { throw std::runtime_error("Asynchronous socket error 5"); }, false,
                   "Asynchronous socket error 5"},
        FailureRow{"ForeignFailure", []() -> bool { throw 42; }, false, "Unknown failure"}),
    test_rows::RowName);

} // namespace
