#include "board/DragOverlay.h"

#include <QPainter>

TDragOverlay::TDragOverlay(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void TDragOverlay::SetImage(const QImage &image) {
    image_ = image;
    resize(image.size());
    update();
}

void TDragOverlay::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}
