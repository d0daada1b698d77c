// Kept apart from the board's headers: both components declare their own TNotifyEvent.
#include "Main.h"

#include "components/TrayIcon.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

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
}
