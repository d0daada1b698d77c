#include "app/Main.h"

#include "app/session/SocketTransport.h"
#include "net/Identity.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace {

// A small closed padlock, drawn rather than taken from a font that may lack the glyph.
QPixmap PadlockPicture() {
    QPixmap picture(10, 12);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.drawArc(QRectF(2, 0.75, 6, 8), 0, 180 * 16);
    painter.drawLine(QPointF(2, 4.75), QPointF(2, 6));
    painter.drawLine(QPointF(8, 4.75), QPointF(8, 6));
    painter.fillRect(QRectF(0, 5.5, 10, 6.5), QColor(176, 132, 24));
    return picture;
}

} // namespace

void TMainForm::LoadKey(const QString &folder, TSocketTransport &sockets) {
    if (folder.isEmpty())
        return;
    // What went wrong with the key is said in the messages window when it is first needed.
    sockets.SetIdentity([this, file = folder + QStringLiteral("/identity.pem")] {
        QString problem;
        TIdentity identity = LoadIdentity(file, problem);
        if (!problem.isEmpty())
            AddMessage(problem);
        return identity;
    });
    // Right of "Your opponent is :", in a corner the fixed layout leaves free.
    padlock_ = new QLabel(this);
    padlock_->setObjectName(QStringLiteral("Padlock"));
    padlock_->setPixmap(PadlockPicture());
    padlock_->setGeometry(414, 59, 10, 12);
    padlock_->hide();
}

void TMainForm::ShowPrivacy(const QString &safetyCode) {
    const QString tip =
        safetyCode.isEmpty()
            ? QString()
            : QStringLiteral("Private link (TLS 1.3). Safety code: %1\nThe same code on both "
                             "screens means nobody is in between.")
                  .arg(safetyCode);
    Label6->setToolTip(tip);
    if (!padlock_)
        return;
    padlock_->setToolTip(tip);
    padlock_->setVisible(!safetyCode.isEmpty());
}
