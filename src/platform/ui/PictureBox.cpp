#include "PictureBox.h"

#include <QPainter>

#include "PictureWidget.h"

namespace ui {

PictureBox::PictureBox(QWidget* parent)
    : Control(new PictureWidget(parent)), m_pic(static_cast<PictureWidget*>(widget())) {}

const QPixmap& PictureBox::Picture() const {
  return m_pic->picture;
}

void PictureBox::setPicture(const QPixmap& p) {
  m_pic->picture = p;
  if (m_autoSize && !p.isNull()) Move(Left(), Top(), toTwips(p.width()), toTwips(p.height()));
  m_pic->update();
}

void PictureBox::setAutoSize(bool v) {
  m_autoSize = v;
  if (v) setPicture(m_pic->picture);
}

QColor PictureBox::BackColor() const {
  return m_pic->back();
}
void PictureBox::setBackColor(const QColor& c) {
  m_pic->setBack(c);
}
void PictureBox::setBorder(const QColor& c) {
  m_pic->border = c;
  m_pic->update();
}

void PictureBox::Cls() {
  m_pic->clearCanvas();
}

void PictureBox::Line(float x1, float y1, float x2, float y2, const QColor& c) {
  QPainter& p = m_pic->canvasPainter();
  p.setPen(c);
  p.drawLine(QPointF(x1 / TwipsPerPixel, y1 / TwipsPerPixel),
             QPointF(x2 / TwipsPerPixel, y2 / TwipsPerPixel));
  m_pic->update();
}

void PictureBox::FillRect(float x, float y, float w, float h, const QColor& c) {
  QPainter& p = m_pic->canvasPainter();
  // The rectangle the two corners span, whichever way round they are given.
  p.fillRect(QRectF(x / TwipsPerPixel, y / TwipsPerPixel, w / TwipsPerPixel, h / TwipsPerPixel)
                 .normalized(),
             c);
  m_pic->update();
}

void PictureBox::setCaption(const QString& text, const QColor& color) {
  m_pic->caption = text;
  m_pic->captionColor = color;
  m_pic->update();
}
QString PictureBox::Caption() const {
  return m_pic->caption;
}

QWidget* PictureBox::container() const {
  return m_pic;
}

void PictureBox::geometryChanged() {
  m_pic->update();
}

}  // namespace ui
