#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "Control.h"

namespace ui {

class PictureWidget;

// A picture with a background colour and a drawing surface that keeps what was drawn
// (cleared by Cls). With AutoSize the control takes the size of its picture.
class PictureBox : public Control {
 public:
  explicit PictureBox(QWidget* parent);
  const QPixmap& Picture() const;
  void setPicture(const QPixmap& p);
  bool AutoSize() const { return m_autoSize; }
  void setAutoSize(bool v);
  QColor BackColor() const;
  void setBackColor(const QColor& c);
  void setBorder(const QColor& c);  // a one-pixel frame drawn inside; invalid = none
  float ScaleWidth() const { return Width(); }
  float ScaleHeight() const { return Height(); }
  void Cls();
  void Line(float x1, float y1, float x2, float y2, const QColor& c);
  void FillRect(float x, float y, float w, float h, const QColor& c);
  // Text drawn over the picture, centred (buttons of the laid-out look).
  void setCaption(const QString& text, const QColor& color = QColor(230, 230, 230));
  QString Caption() const;
  QWidget* container() const;

 protected:
  void geometryChanged() override;

 private:
  PictureWidget* m_pic;
  bool m_autoSize = false;
};

}  // namespace ui
