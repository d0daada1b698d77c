#include "components/TrayShell.h"

#include <QCursor>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

constexpr int MessageMilliseconds = 10000;

TTrayMessage MessageOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TTrayMessage::LeftButtonUp;
    case QSystemTrayIcon::DoubleClick:
        return TTrayMessage::LeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
        return TTrayMessage::RightButtonUp;
    default:
        return TTrayMessage::Other;
    }
}

} // namespace

TSystemTrayShell::TSystemTrayShell() : Icon(std::make_unique<QSystemTrayIcon>()) {
    connect(Icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (OnMessage)
                    OnMessage(MessageOf(reason));
            });
}

TSystemTrayShell::~TSystemTrayShell() = default;

bool TSystemTrayShell::HasNotificationArea() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TSystemTrayShell::Add(const TTrayIconData &data) {
    // The tray host may have gone since start-up; an icon without a picture cannot be shown.
    if (!QSystemTrayIcon::isSystemTrayAvailable() || data.Icon.isNull())
        return false;
    Apply(data);
    Icon->show();
    ShownForMessage = false;
    return true;
}

bool TSystemTrayShell::Modify(const TTrayIconData &data) {
    Apply(data);
    return Icon->isVisible();
}

bool TSystemTrayShell::Delete() {
    const bool wasShown = Icon->isVisible() && !ShownForMessage;
    Icon->hide();
    ShownForMessage = false;
    return wasShown;
}

QPoint TSystemTrayShell::CursorPos() const {
    return QCursor::pos();
}

void TSystemTrayShell::ShowMessage(const TTrayIconData &data, const QString &title,
                                   const QString &message) {
    if (!QSystemTrayIcon::isSystemTrayAvailable() || data.Icon.isNull())
        return;
    if (!Icon->isVisible()) {
        Apply(data);
        Icon->show();
        ShownForMessage = true;
        QTimer::singleShot(MessageMilliseconds, this, [this] {
            if (ShownForMessage)
                Icon->hide();
            ShownForMessage = false;
        });
    }
    Icon->showMessage(title, message, QSystemTrayIcon::Information, MessageMilliseconds);
}

QRect TSystemTrayShell::IconGeometry() const {
    return Icon->isVisible() ? Icon->geometry() : QRect();
}

void TSystemTrayShell::Apply(const TTrayIconData &data) {
    Icon->setIcon(data.Icon);
    Icon->setToolTip(data.HasTip ? data.Tip : QString());
}
