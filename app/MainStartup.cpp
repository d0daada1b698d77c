#include "app/Main.h"

#include "app/Dialogs.h"
#include "app/FirstFrame.h"
#include "app/StatusPanels.h"
#include "app/Unit1.h"
#include "app/session/LocalAddress.h"
#include "components/TrayIcon.h"
#include "net/PortMapper.h"

#include <QAction>
#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QLabel>
#include <QMenu>
#include <QNetworkInterface>
#include <QPushButton>
#include <QTimer>

void TMainForm::FormCreate() {
    session_->Start();
    localAddress_ = GetLocalIPAddress();
    ShowAddress(TPortMapStatus{});
    if (localAddress_ == QLatin1String(NoNetworkText))
        BitBtn6->setEnabled(false);
}

void TMainForm::FormClose() {
    session_->Close();
    // Nothing listens any more: the router must not keep pointing at this machine.
    if (portMapper_)
        portMapper_->Stop();
}

// The router is asked in the background once the window is up and listening; the answer only
// changes what "Your IP is" shows.
void TMainForm::StartForwarding(std::function<std::unique_ptr<TPortGateway>()> gateway) {
    portMapper_ =
        new TPortMapper(session_->Link().ListeningPort(), gateway ? gateway() : nullptr, this);
    connect(portMapper_, &TPortMapper::StatusChanged, this, &TMainForm::ShowAddress);
    QTimer::singleShot(0, portMapper_, [mapper = portMapper_] { mapper->Start(); });
}

// The address the other player must type: the router's while the port is forwarded, else this
// machine's; the rest, and why forwarding failed, is in the tooltip.
void TMainForm::ShowAddress(const TPortMapStatus &forwarding) {
    const TShownAddress shown = ShowLocalAddress(
        localAddress_, forwarding,
        GlobalIpv6Addresses(localInterfaces_ ? localInterfaces_() : SystemInterfaceAddresses()));
    Label4->setText(shown.Label);
    Label4->setToolTip(shown.ToolTip);
    Label4->adjustSize();
}

QString TMainForm::GetLocalIPAddress() const {
    return ChooseLocalAddress(localAddresses_ ? localAddresses_() : SystemLocalAddresses(),
                              localInterfaces_ ? localInterfaces_ : SystemInterfaceAddresses);
}

void TMainForm::BuildTray(std::unique_ptr<TTrayShell> shell) {
    PopupMenu1 = new QMenu(this);
    Restore1 = PopupMenu1->addAction(QStringLiteral("Restore"));
    PopupMenu1->addAction(YourName1);
    Exit1 = PopupMenu1->addAction(QStringLiteral("Exit"));
    connect(Restore1, &QAction::triggered, this, &TMainForm::Restore1Click);
    connect(Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);

    auto createIcon = [this](std::unique_ptr<TTrayShell> iconShell) {
        TrayIcon1 = new TTrayIcon(this, std::move(iconShell));
        TrayIcon1->SetHint(QCoreApplication::applicationName());
        TrayIcon1->SetIcon(windowIcon());
        TrayIcon1->SetSeparateIcon(false);
        TrayIcon1->SetPopupMenu(PopupMenu1);
        TrayIcon1->SetActive(true);
        // The icon's failures arise in desktop notifications, where no caller could catch them.
        TrayIcon1->FailureHandler = [this](const std::exception &failure) {
            Dialogs().ShowException(failure);
        };
    };
    // The icon shows only while the window is minimised. The desktop's notification area is probed
    // (D-Bus round trips on most desktops) once the window's first frame is out; a shell given by
    // the caller is used at once.
    TrayIcon1 = nullptr;
    if (shell)
        createIcon(std::move(shell));
    else
        AfterFirstFrame(this, [createIcon] { createIcon(nullptr); });
}

void TMainForm::Restore1Click() {
    if (isMinimized())
        showNormal();
}

// The window may sit hidden in the tray, where closing it alone would not end the program.
void TMainForm::Exit1Click() {
    close();
    if (TrayIcon1) // made only once the first frame is out
        TrayIcon1->SetActive(false);
    if (quit_)
        quit_();
    else
        QCoreApplication::quit();
}

void TMainForm::AttachAboutBox(TForm1 *box) {
    aboutBox_ = box;
    box->GameInProgress = [this] { return session_->GameRunning() || session_->Suspended(); };
    box->SetTimePerSide = [this](int minutes) { session_->SetTimePerSide(minutes); };
}

void TMainForm::BitBtn5Click() {
    if (aboutBox_)
        aboutBox_->exec();
}
