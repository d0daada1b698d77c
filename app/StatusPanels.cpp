#include "app/StatusPanels.h"

#include <QLabel>

TStatusPanels::TStatusPanels(int width0, int width1, QWidget *parent)
    : QFrame(parent), width0_(width0), width1_(width1) {
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
    // A text longer than its panel is cut there; the tooltip shows it whole.
    QLabel *panel = Panel(index);
    panel->setText(text);
    panel->setToolTip(panel->fontMetrics().horizontalAdvance(text) > panel->width() ? text
                                                                                    : QString());
}

void TStatusPanels::resizeEvent(QResizeEvent *event) {
    QFrame::resizeEvent(event);
    const int h = height() - 2;
    panels_[0]->setGeometry(0, 2, width0_ - 2, h);
    panels_[1]->setGeometry(width0_, 2, width1_ - 2, h);
    panels_[2]->setGeometry(width0_ + width1_, 2, width() - width0_ - width1_, h);
}
