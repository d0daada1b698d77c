#pragma once

#include <QImage>
#include <QWidget>

// Shows the dragged piece over the board's parent window. It takes no mouse input, so the
// pointer is seen to be over whatever lies beneath it.
class TDragOverlay : public QWidget {
    Q_OBJECT

  public:
    explicit TDragOverlay(QWidget *parent);
    // The masked piece image; the widget takes its size.
    void SetImage(const QImage &image);
    const QImage &Image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent *e) override;

  private:
    QImage image_;
};
