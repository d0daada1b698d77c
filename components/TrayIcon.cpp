#include "TrayIcon.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <QtDebug>

namespace {

// Window property naming the one tray icon that handles the window's minimise and restore.
constexpr char HandlerProperty[] = "boardwickTrayIcon";

// At most MaxTipLength UTF-16 units, never ending inside a surrogate pair.
QString CutTip(const QString &text) {
    if (text.size() <= TTrayIcon::MaxTipLength)
        return text;
    qsizetype length = TTrayIcon::MaxTipLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

} // namespace

TTrayIcon::TTrayIcon(QWidget *owner, std::unique_ptr<TTrayShell> shell)
    : QObject(owner), Shell(shell ? std::move(shell) : std::make_unique<TSystemTrayShell>()),
      Window(owner ? owner->window() : nullptr) {
    FIcon = QApplication::windowIcon();
    FNotifyData.Icon = FIcon;
    FShellAvailable = Shell->HasNotificationArea();
    FIconShown = false;
    SetTip(FHint.isEmpty() ? QCoreApplication::applicationName() : FHint);
    Shell->OnMessage = [this](TTrayMessage message) { Guarded([&] { ShellMessage(message); }); };
    if (Window) {
        // Replaces any other tray icon as the window's minimise/restore handler.
        Window->setProperty(HandlerProperty, QVariant::fromValue<QObject *>(this));
        Window->installEventFilter(this);
        FMinimized = Window->isMinimized();
    }
}

TTrayIcon::~TTrayIcon() {
    if (FActive)
        RemoveIcon();
    Shell->OnMessage = nullptr;
}

void TTrayIcon::SetActive(bool value) {
    FActive = value;
    if (FActive && (FMinimized || FSeparateIcon)) {
        AddIcon();
    } else {
        RemoveIcon();
        // Without the icon nothing could bring a hidden window back.
        if (!FActive && FEntryHidden)
            ShowEntry();
    }
}

void TTrayIcon::HideEntry() {
    if (Window && FActive && FIconShown && FMinimized && Window->isMinimized()) {
        Window->hide();
        FEntryHidden = true;
    }
}

void TTrayIcon::ShowEntry() {
    if (Window)
        Window->show();
    FEntryHidden = false;
}

QMenu *TTrayIcon::PopupMenu() const {
    return FPopupMenu;
}

void TTrayIcon::SetPopupMenu(QMenu *value) {
    FPopupMenu = value;
}

void TTrayIcon::SetSeparateIcon(bool value) {
    FSeparateIcon = value;
    if (FSeparateIcon && FActive)
        AddIcon();
    if (!FSeparateIcon && FActive && !FMinimized)
        RemoveIcon();
}

void TTrayIcon::SetHint(const QString &value) {
    if (value == FHint)
        return;
    FHint = value;
    SetTip(FHint);
    ModifyIcon();
}

void TTrayIcon::SetIcon(const QIcon &value) {
    if (value.cacheKey() == FIcon.cacheKey())
        return;
    FIcon = value;
    FNotifyData.Icon = FIcon;
    ModifyIcon();
}

void TTrayIcon::SetTip(const QString &text) {
    FNotifyData.Tip = CutTip(text);
    FNotifyData.HasTip = !text.isEmpty();
}

void TTrayIcon::AddIcon() {
    if (!FActive || !FShellAvailable || FIconShown)
        return;
    if (!Shell->Add(FNotifyData))
        throw EOutOfResources("Cannot create shell notification icon");
    FIconShown = true;
}

void TTrayIcon::RemoveIcon() {
    if (FShellAvailable)
        Shell->Delete();
    FIconShown = false;
}

void TTrayIcon::ModifyIcon() {
    if (FActive && FShellAvailable)
        Shell->Modify(FNotifyData);
}

void TTrayIcon::ShowMessage(const QString &title, const QString &message) {
    if (FActive && FShellAvailable)
        Shell->ShowMessage(FNotifyData, title, message);
}

void TTrayIcon::AppMinimize(QObject *Sender) {
    if (FActive) {
        // The task-bar entry goes only once the icon is there to bring the window back.
        try {
            if (!FIconShown)
                AddIcon();
        } catch (...) {
            FMinimized = true;
            throw;
        }
        // Hidden once the minimising step is over: showMinimized() shows the window after it.
        if (FIconShown)
            QMetaObject::invokeMethod(this, &TTrayIcon::HideEntry, Qt::QueuedConnection);
    }
    FMinimized = true;
    if (OnMinimize)
        OnMinimize(Sender);
}

void TTrayIcon::AppRestore(QObject *Sender) {
    if (FActive) {
        ShowEntry();
        if (!FSeparateIcon)
            RemoveIcon();
    }
    if (OnRestore)
        OnRestore(Sender);
    FMinimized = false;
}

bool TTrayIcon::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Window && event->type() == QEvent::WindowStateChange &&
        Window->property(HandlerProperty).value<QObject *>() == this) {
        const bool was = static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized;
        const bool is = Window->isMinimized();
        if (!was && is)
            Guarded([this] { AppMinimize(QCoreApplication::instance()); });
        else if (was && !is)
            Guarded([this] { AppRestore(QCoreApplication::instance()); });
    }
    return QObject::eventFilter(watched, event);
}

void TTrayIcon::ShellMessage(TTrayMessage message) {
    switch (message) {
    case TTrayMessage::LeftButtonUp:
        if (OnClick)
            OnClick(this);
        break;
    case TTrayMessage::LeftButtonDoubleClick:
        if (OnDblClick)
            OnDblClick(this);
        break;
    case TTrayMessage::RightButtonUp: RightClick(); break;
    case TTrayMessage::Other: break;
    }
}

void TTrayIcon::RightClick() {
    const QPoint cursor = Shell->CursorPos();
    const bool windowVisible = Window && Window->isVisible();
    // The menu opens without waiting for it to close, so OnRightClick follows its opening.
    if (FPopupMenu && (!windowVisible || FSeparateIcon))
        FPopupMenu->popup(cursor);
    if (OnRightClick)
        OnRightClick(this, Qt::RightButton, Qt::NoModifier, cursor.x(), cursor.y());
}

void TTrayIcon::Guarded(const std::function<void()> &step) {
    try {
        step();
    } catch (const std::exception &failure) {
        if (FailureHandler)
            FailureHandler(failure);
        else
            qWarning("%s", failure.what());
    }
}
