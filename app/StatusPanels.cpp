#include "StatusPanels.h"

#include <QLabel>

TStatusPanels::TStatusPanels(int width0, int width1, QWidget *parent)
    : QFrame(parent), Width0(width0), Width1(width1) {
    for (auto &panel : Panels) {
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
    Panels[0]->setGeometry(0, 2, Width0 - 2, h);
    Panels[1]->setGeometry(Width0, 2, Width1 - 2, h);
    Panels[2]->setGeometry(Width0 + Width1, 2, width() - Width0 - Width1, h);
}
