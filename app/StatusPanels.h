#pragma once
#include <QFrame>
#include <QString>

#include <array>

class QLabel;

// A status line of three sunken text panels: 0 and 1 of fixed width, 2 up to the right edge.
// No size grip.
class TStatusPanels : public QFrame {
  public:
    TStatusPanels(int width0, int width1, QWidget *parent = nullptr);

    QString PanelText(int index) const;
    void SetPanelText(int index, const QString &text);
    QLabel *Panel(int index) const { return panels_.at(static_cast<std::size_t>(index)); }

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    std::array<QLabel *, 3> panels_{};
    int width0_, width1_;
};
