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

TSystemTrayShell::TSystemTrayShell() : icon_(std::make_unique<QSystemTrayIcon>()) {
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
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
    icon_->show();
    shownForMessage_ = false;
    return true;
}

bool TSystemTrayShell::Modify(const TTrayIconData &data) {
    Apply(data);
    return icon_->isVisible();
}

bool TSystemTrayShell::Delete() {
    const bool wasShown = icon_->isVisible() && !shownForMessage_;
    icon_->hide();
    shownForMessage_ = false;
    return wasShown;
}

QPoint TSystemTrayShell::CursorPos() const {
    return QCursor::pos();
}

void TSystemTrayShell::ShowMessage(const TTrayIconData &data, const QString &title,
                                   const QString &message) {
    if (!QSystemTrayIcon::isSystemTrayAvailable() || data.Icon.isNull())
        return;
    if (!icon_->isVisible()) {
        Apply(data);
        icon_->show();
        shownForMessage_ = true;
        QTimer::singleShot(MessageMilliseconds, this, [this] {
            if (shownForMessage_)
                icon_->hide();
            shownForMessage_ = false;
        });
    }
    icon_->showMessage(title, message, QSystemTrayIcon::Information, MessageMilliseconds);
}

QRect TSystemTrayShell::IconGeometry() const {
    return icon_->isVisible() ? icon_->geometry() : QRect();
}

void TSystemTrayShell::Apply(const TTrayIconData &data) {
    icon_->setIcon(data.Icon);
    icon_->setToolTip(data.HasTip ? data.Tip : QString());
}
