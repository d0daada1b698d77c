#pragma once
#include "components/TrayShell.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>

class QMenu;
class QWidget;

// The desktop refused a resource, such as the notification icon.
class EOutOfResources : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Icon in the desktop's notification area that stands in for the application window while it is
// minimised. The icon is shown exactly while Active and (Minimized or SeparateIcon), and only
// when the desktop has a notification area. The owner's top-level window is "the application".
class TTrayIcon : public QObject {
  public:
    static constexpr int MaxTipLength = 63;

    // Nested so that they never clash with the board's event types of the same names.
    using TNotifyEvent = std::function<void(QObject *Sender)>;
    using TMouseEvent = std::function<void(QObject *Sender, Qt::MouseButton Button,
                                           Qt::KeyboardModifiers Shift, int X, int Y)>;

    // shell: the desktop's notification area; the real one when null.
    explicit TTrayIcon(QWidget *owner, std::unique_ptr<TTrayShell> shell = nullptr);
    ~TTrayIcon() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    const QString &Hint() const { return hint_; }
    void SetHint(const QString &value);
    const QIcon &Icon() const { return icon_; }
    void SetIcon(const QIcon &value);
    QMenu *PopupMenu() const;
    void SetPopupMenu(QMenu *value);
    bool SeparateIcon() const { return separateIcon_; }
    void SetSeparateIcon(bool value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnRightClick;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    // Failures raised while handling the desktop's or the window's notifications (including those
    // of the handlers above) cannot reach a caller; they go here. Unset: logged as a warning.
    std::function<void(const std::exception &)> FailureHandler;

    bool ShellAvailable() const { return shellAvailable_; }
    bool IconShown() const { return iconShown_; }
    bool Minimized() const { return minimized_; }
    const TTrayIconData &NotifyData() const { return notifyData_; }

    // Throws EOutOfResources when the desktop refuses the icon.
    void AddIcon();
    void RemoveIcon();
    void ModifyIcon();

    // A passing message from the icon while it is Active and the desktop has a notification area,
    // shown even while the icon itself is not (the window is shown but not active). Title and
    // message are plain text (peer text included); they reach the desktop escaped, as the hint
    // does.
    void ShowMessage(const QString &title, const QString &message);

    // The application window has just been minimised / restored; Sender = the application.
    void AppMinimize(QObject *Sender);
    void AppRestore(QObject *Sender);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void ShellMessage(TTrayMessage message);
    void RightClick();
    void SetTip(const QString &text);
    void HideEntry();
    void ShowEntry();
    void Guarded(const std::function<void()> &step);

    std::unique_ptr<TTrayShell> shell_;
    QPointer<QWidget> window_;
    bool active_ = false;
    QString hint_;
    QIcon icon_;
    QPointer<QMenu> popupMenu_;
    bool separateIcon_ = false;
    bool shellAvailable_ = false;
    bool iconShown_ = false;
    bool minimized_ = false;
    bool entryHidden_ = false; // the window was hidden because the icon stands in for it
    TTrayIconData notifyData_;
};
