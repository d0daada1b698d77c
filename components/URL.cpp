#include "components/URL.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

TURL::TURL(QWidget *parent) : QLabel(parent), linkColor_(0, 0, 255) {
    // Captions are addresses or plain words, never markup.
    setTextFormat(Qt::PlainText);
    QFont plain = font();
    plain.setUnderline(false);
    plain.setBold(false);
    plain.setItalic(false);
    plain.setStrikeOut(false);
    setFont(plain);
    normalColor_ = palette().color(foregroundRole());
    OpenDocument = [](const QString &caption) {
        QDesktopServices::openUrl(QUrl(caption, QUrl::TolerantMode));
    };
}

void TURL::SetCaption(const QString &value) {
    setText(value);
    if (autoSize_)
        adjustSize();
}

void TURL::SetAutoSize(bool value) {
    autoSize_ = value;
    if (autoSize_)
        adjustSize();
}

void TURL::SetLinkColor(const QColor &value) {
    linkColor_ = value;
    if (isLink_) {
        ApplyLook(true);
        repaint();
    }
}

bool TURL::LooksLikeLink(const QString &caption) {
    const QString head = caption.left(6).toUpper();
    return head == QLatin1String("HTTP:/") || head == QLatin1String("MAILTO") ||
           head == QLatin1String("FTP://");
}

void TURL::paintEvent(QPaintEvent *event) {
    QLabel::paintEvent(event);
    isLink_ = LooksLikeLink(text());
    // A changed look is drawn by the next paint, which finds nothing more to change.
    if (ApplyLook(isLink_))
        update();
}

bool TURL::ApplyLook(bool link) {
    bool changed = false;
    QFont f = font();
    if (f.underline() != link) {
        f.setUnderline(link);
        setFont(f);
        changed = true;
    }
    const QColor colour = link ? linkColor_ : normalColor_;
    if (palette().color(foregroundRole()) != colour) {
        QPalette p = palette();
        p.setColor(foregroundRole(), colour);
        setPalette(p);
        changed = true;
    }
    const Qt::CursorShape shape = link ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (cursor().shape() != shape) {
        setCursor(shape);
        changed = true;
    }
    return changed;
}

void TURL::mousePressEvent(QMouseEvent *event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && OpenDocument)
        OpenDocument(text());
}
