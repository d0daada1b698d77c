#include "Main.h"

#include "Dialogs.h"
#include "LocalAddress.h"
#include "PeerLink.h"
#include "StatusPanels.h"
#include "Unit1.h"
#include "components/TrayIcon.h"

#include <QAction>
#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QLabel>
#include <QMenu>
#include <QNetworkInterface>
#include <QPushButton>

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
    Link->Shutdown();
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

    TrayIcon1 = new TTrayIcon(this, std::move(shell));
    TrayIcon1->SetHint(QCoreApplication::applicationName());
    TrayIcon1->SetIcon(windowIcon());
    TrayIcon1->SetSeparateIcon(false);
    TrayIcon1->SetPopupMenu(PopupMenu1);
    TrayIcon1->SetActive(true);
    // The icon's failures arise in desktop notifications, where no caller could catch them.
    TrayIcon1->FailureHandler = [this](const std::exception &failure) {
        Dialogs().ShowException(failure);
    };
}

void TMainForm::Restore1Click() {
    if (isMinimized())
        showNormal();
}

// The window may sit hidden in the tray, where closing it alone would not end the program.
void TMainForm::Exit1Click() {
    close();
    TrayIcon1->SetActive(false);
    if (Quit)
        Quit();
    else
        QCoreApplication::quit();
}

void TMainForm::AttachAboutBox(TForm1 *box) {
    AboutBox = box;
    box->GameInProgress = [this] { return Game.Running(); };
    box->SetTimePerSide = [this](int minutes) { TimePerSide = minutes; };
}

void TMainForm::BitBtn5Click() {
    if (AboutBox)
        AboutBox->exec();
}
