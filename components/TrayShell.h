#pragma once
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QSystemTrayIcon;

// What the desktop is told about the one icon: picture and tip (HasTip = tip flag set). The tip
// is escaped for markup.
struct TTrayIconData {
    QIcon Icon;
    QString Tip;
    bool HasTip = false;
};

// Mouse actions the desktop reports on the icon.
enum class TTrayMessage { LeftButtonUp, LeftButtonDoubleClick, RightButtonUp, Other };

// The desktop's notification area, reduced to what the tray icon needs.
class TTrayShell {
  public:
    virtual ~TTrayShell() = default;
    virtual bool HasNotificationArea() const = 0;
    // False when the desktop refuses the icon.
    virtual bool Add(const TTrayIconData &data) = 0;
    virtual bool Modify(const TTrayIconData &data) = 0;
    virtual bool Delete() = 0;
    virtual QPoint CursorPos() const = 0;
    // A passing message from the icon (data: the icon to show it from); title and message are
    // escaped for markup.
    virtual void ShowMessage(const TTrayIconData &data, const QString &title,
                             const QString &message) = 0;

    // Set by the tray icon; the shell calls it for every mouse action on the icon.
    std::function<void(TTrayMessage)> OnMessage;
};

// The real notification area through QSystemTrayIcon.
class TSystemTrayShell final : public QObject, public TTrayShell {
  public:
    TSystemTrayShell();
    ~TSystemTrayShell() override;

    bool HasNotificationArea() const override;
    bool Add(const TTrayIconData &data) override;
    bool Modify(const TTrayIconData &data) override;
    bool Delete() override;
    QPoint CursorPos() const override;
    // Qt shows messages only from a visible icon: a hidden one appears for the message's time.
    void ShowMessage(const TTrayIconData &data, const QString &title,
                     const QString &message) override;

    // Where the desktop shows the icon, in screen coordinates; empty while not shown.
    QRect IconGeometry() const;

  private:
    void Apply(const TTrayIconData &data);

    std::unique_ptr<QSystemTrayIcon> icon_;
    bool shownForMessage_ = false; // visible only while a message shows
};
