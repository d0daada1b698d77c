#include "components/TrayIcon.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <QtDebug>

namespace {

// Window property naming the one tray icon that handles the window's minimise and restore.
constexpr char HandlerProperty[] = "boardwickTrayIcon";

// At most MaxTipLength UTF-16 units (before escaping), never ending inside a surrogate pair.
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
    : QObject(owner), shell_(shell ? std::move(shell) : std::make_unique<TSystemTrayShell>()),
      window_(owner ? owner->window() : nullptr) {
    icon_ = QApplication::windowIcon();
    notifyData_.Icon = icon_;
    shellAvailable_ = shell_->HasNotificationArea();
    iconShown_ = false;
    SetTip(hint_.isEmpty() ? QCoreApplication::applicationName() : hint_);
    shell_->OnMessage = [this](TTrayMessage message) { Guarded([&] { ShellMessage(message); }); };
    if (window_) {
        // Replaces any other tray icon as the window's minimise/restore handler.
        window_->setProperty(HandlerProperty, QVariant::fromValue<QObject *>(this));
        window_->installEventFilter(this);
        minimized_ = window_->isMinimized();
    }
}

TTrayIcon::~TTrayIcon() {
    if (active_)
        RemoveIcon();
    shell_->OnMessage = nullptr;
}

void TTrayIcon::SetActive(bool value) {
    active_ = value;
    if (active_ && (minimized_ || separateIcon_)) {
        AddIcon();
    } else {
        RemoveIcon();
        // Without the icon nothing could bring a hidden window back.
        if (!active_ && entryHidden_)
            ShowEntry();
    }
}

void TTrayIcon::HideEntry() {
    if (window_ && active_ && iconShown_ && minimized_ && window_->isMinimized()) {
        window_->hide();
        entryHidden_ = true;
    }
}

void TTrayIcon::ShowEntry() {
    if (window_)
        window_->show();
    entryHidden_ = false;
}

QMenu *TTrayIcon::PopupMenu() const {
    return popupMenu_;
}

void TTrayIcon::SetPopupMenu(QMenu *value) {
    popupMenu_ = value;
}

void TTrayIcon::SetSeparateIcon(bool value) {
    separateIcon_ = value;
    if (separateIcon_ && active_)
        AddIcon();
    if (!separateIcon_ && active_ && !minimized_)
        RemoveIcon();
}

void TTrayIcon::SetHint(const QString &value) {
    if (value == hint_)
        return;
    hint_ = value;
    SetTip(hint_);
    ModifyIcon();
}

void TTrayIcon::SetIcon(const QIcon &value) {
    if (value.cacheKey() == icon_.cacheKey())
        return;
    icon_ = value;
    notifyData_.Icon = icon_;
    ModifyIcon();
}

void TTrayIcon::SetTip(const QString &text) {
    // Qt's own tray tooltip takes a text with a tag or "&lt;" in its first line for markup, and
    // status-notifier hosts render tooltip markup: escaped, the hint is text under both. Cut
    // first, so that the cut never falls inside an entity.
    notifyData_.Tip = CutTip(text).toHtmlEscaped();
    notifyData_.HasTip = !text.isEmpty();
}

void TTrayIcon::AddIcon() {
    if (!active_ || !shellAvailable_ || iconShown_)
        return;
    if (!shell_->Add(notifyData_))
        throw EOutOfResources("Cannot create shell notification icon");
    iconShown_ = true;
}

void TTrayIcon::RemoveIcon() {
    if (shellAvailable_)
        shell_->Delete();
    iconShown_ = false;
}

void TTrayIcon::ModifyIcon() {
    if (active_ && shellAvailable_)
        shell_->Modify(notifyData_);
}

void TTrayIcon::ShowMessage(const QString &title, const QString &message) {
    // Notification servers render body markup (links, images, bold), so the body is escaped.
    // The summary is meant to be plain, yet some servers put it into a markup template: escaped
    // too, as a stray "&amp;" on a strict server is the lesser harm.
    if (active_ && shellAvailable_)
        shell_->ShowMessage(notifyData_, title.toHtmlEscaped(), message.toHtmlEscaped());
}

void TTrayIcon::AppMinimize(QObject *Sender) {
    if (active_) {
        // The task-bar entry goes only once the icon is there to bring the window back.
        try {
            if (!iconShown_)
                AddIcon();
        } catch (...) {
            minimized_ = true;
            throw;
        }
        // Hidden once the minimising step is over: showMinimized() shows the window after it.
        if (iconShown_)
            QMetaObject::invokeMethod(this, &TTrayIcon::HideEntry, Qt::QueuedConnection);
    }
    minimized_ = true;
    if (OnMinimize)
        OnMinimize(Sender);
}

void TTrayIcon::AppRestore(QObject *Sender) {
    if (active_) {
        ShowEntry();
        if (!separateIcon_)
            RemoveIcon();
    }
    if (OnRestore)
        OnRestore(Sender);
    minimized_ = false;
}

bool TTrayIcon::eventFilter(QObject *watched, QEvent *event) {
    if (watched == window_ && event->type() == QEvent::WindowStateChange &&
        window_->property(HandlerProperty).value<QObject *>() == this) {
        const bool was =
            static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized;
        const bool is = window_->isMinimized();
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
    case TTrayMessage::RightButtonUp:
        RightClick();
        break;
    case TTrayMessage::Other:
        break;
    }
}

void TTrayIcon::RightClick() {
    const QPoint cursor = shell_->CursorPos();
    const bool windowVisible = window_ && window_->isVisible();
    // The menu opens without waiting for it to close, so OnRightClick follows its opening.
    if (popupMenu_ && (!windowVisible || separateIcon_))
        popupMenu_->popup(cursor);
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
