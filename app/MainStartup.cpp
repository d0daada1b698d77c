#include "Main.h"

#include "Dialogs.h"
#include "FirstFrame.h"
#include "LocalAddress.h"
#include "StatusPanels.h"
#include "Unit1.h"
#include "components/TrayIcon.h"
#include "net/ScktComp.h"

#include <QAction>
#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QLabel>
#include <QMenu>
#include <QNetworkInterface>
#include <QPushButton>

namespace {
// The system resolver: the host's own name looked up; IPv4 addresses in the resolver's order.
std::optional<QStringList> SystemLocalAddresses() {
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    if (info.error() != QHostInfo::NoError)
        return std::nullopt;
    QStringList addresses;
    for (const QHostAddress &address : info.addresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            addresses << address.toString();
    return addresses;
}

// Every address of every interface, in the system's interface order.
QList<TInterfaceAddress> SystemInterfaceAddresses() {
    QList<TInterfaceAddress> addresses;
    for (const QNetworkInterface &entry : QNetworkInterface::allInterfaces()) {
        const bool up = entry.flags().testFlag(QNetworkInterface::IsUp);
        for (const QNetworkAddressEntry &address : entry.addressEntries())
            addresses.append({address.ip().toString(), up});
    }
    return addresses;
}
} // namespace

void TMainForm::FormCreate() {
    TimePerSide = 45;
    UpdateMove();
    const bool listening = StartListening();
    Label4->setText(GetLocalIPAddress());
    Label4->adjustSize();
    if (Label4->text() == QLatin1String(NoNetworkText))
        BitBtn6->setEnabled(false);
    Label6->setText(QStringLiteral("None"));
    Label6->adjustSize();
    if (listening)
        StatusBar1->SetPanelText(2, QStringLiteral("Waiting for a call ..."));
}

void TMainForm::FormClose() {
    Closing = true;
    ServerSocket->SetActive(false);
    ClientSocket->SetActive(false);
}

QString TMainForm::GetLocalIPAddress() const {
    return ChooseLocalAddress(LocalAddresses ? LocalAddresses() : SystemLocalAddresses(),
                              LocalInterfaces ? LocalInterfaces : SystemInterfaceAddresses);
}

void TMainForm::BuildTray(std::unique_ptr<TTrayShell> shell) {
    PopupMenu1 = new QMenu(this);
    Restore1 = PopupMenu1->addAction(QStringLiteral("Restore"));
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

void TMainForm::Exit1Click() {
    close();
}

void TMainForm::AttachAboutBox(TForm1 *box) {
    AboutBox = box;
    // A game runs exactly while New Game is disabled.
    box->GameInProgress = [this] { return !BitBtn3->isEnabled(); };
    box->SetTimePerSide = [this](int minutes) { TimePerSide = minutes; };
}

void TMainForm::BitBtn5Click() {
    if (AboutBox)
        AboutBox->exec();
}
