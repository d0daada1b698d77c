#include "app/StatusPanels.h"

#include <QLabel>

TStatusPanels::TStatusPanels(int width0, int width1, QWidget *parent)
    : QFrame(parent), Width0(width0), width1_(width1) {
    for (auto &panel : panels_) {
        panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setIndent(2);
    }
}

QString TStatusPanels::PanelText(int index) const {
    return Panel(index)->text();
}

void TStatusPanels::SetPanelText(int index, const QString &text) {
    Panel(index)->setText(text);
}

void TStatusPanels::resizeEvent(QResizeEvent *event) {
    QFrame::resizeEvent(event);
    const int h = height() - 2;
    panels_[0]->setGeometry(0, 2, Width0 - 2, h);
    panels_[1]->setGeometry(Width0, 2, width1_ - 2, h);
    panels_[2]->setGeometry(Width0 + width1_, 2, width() - Width0 - width1_, h);
}
