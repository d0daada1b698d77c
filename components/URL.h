#pragma once
#include <QColor>
#include <QLabel>

#include <functional>

// Label that shows itself as a link when its caption starts with a web, mail or file-transfer
// address, and asks the desktop to open its caption on a left-button press.
class TURL : public QLabel {
  public:
    explicit TURL(QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    // With AutoSize (on by default) the label takes the size of its caption.
    void SetCaption(const QString &value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    QColor LinkColor() const { return linkColor_; }
    void SetLinkColor(const QColor &value);

    // The link look was chosen at the last paint.
    bool IsLink() const { return isLink_; }
    // Text colour for captions that are not addresses: the label's colour when it was created.
    QColor NormalColor() const { return normalColor_; }

    // Whether a caption reads as an address: its first six characters, upper-cased, are
    // "HTTP:/", "MAILTO" or "FTP://".
    static bool LooksLikeLink(const QString &caption);

    // Opens a caption with the desktop; replaceable so tests can watch it. Result ignored.
    std::function<void(const QString &)> OpenDocument;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    // Applies the link or plain look; true when font, colour or pointer changed.
    bool ApplyLook(bool link);

    bool isLink_ = false;
    bool autoSize_ = true;
    QColor linkColor_;
    QColor normalColor_;
};
