#include "PictureWidget.h"

#include <QPainter>

namespace ui {

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {
  setBack(m_back);
}

void PictureWidget::setBack(const QColor& c) {
  m_back = c;
  setAttribute(Qt::WA_OpaquePaintEvent, c.isValid() && c.alpha() == 255);
  update();
}

PictureWidget::~PictureWidget() {
  finishDrawing();
}

void PictureWidget::finishDrawing() {
  if (m_painter.isActive()) m_painter.end();
}

QPainter& PictureWidget::canvasPainter() {
  ensureCanvas();
  if (!m_painter.isActive()) m_painter.begin(&canvas);
  m_drawn = true;
  return m_painter;
}

void PictureWidget::clearCanvas() {
  if (!m_drawn) return;
  m_drawn = false;
  finishDrawing();
  // The buffer is kept: a picture cleared ten times a second need not allocate each time.
  canvas.fill(Qt::transparent);
  update();
}

void PictureWidget::ensureCanvas() {
  if (canvas.size() != size().expandedTo(QSize(1, 1))) {
    finishDrawing();
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
  finishDrawing();
  QPainter p(this);
  if (m_back.isValid()) p.fillRect(rect(), m_back);
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
  if (hasFocus()) {
    p.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

}  // namespace ui
