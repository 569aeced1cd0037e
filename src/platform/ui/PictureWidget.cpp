#include "PictureWidget.h"

#include <QPainter>

namespace ui {

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {}

void PictureWidget::ensureCanvas() {
  if (canvas.size() != size()) {
    QImage next(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    next.fill(Qt::transparent);
    if (!canvas.isNull()) {
      QPainter p(&next);
      p.drawImage(0, 0, canvas);
    }
    canvas = next;
  }
}

void PictureWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (back.isValid()) p.fillRect(rect(), back);
  if (!picture.isNull()) p.drawPixmap(0, 0, picture);
  if (!canvas.isNull()) p.drawImage(0, 0, canvas);
  if (border.isValid()) {
    p.setPen(border);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  if (!caption.isEmpty() && picture.isNull()) {  // a skin picture carries its own face
    p.setPen(captionColor);
    p.drawText(rect(), Qt::AlignCenter, caption);
  }
}

}  // namespace ui
