#pragma once

#include <QSlider>
#include <functional>

#include "Control.h"

namespace ui {

// A slider whose Change event comes for every change of Value, by the user or by code.
class Slider : public Control {
 public:
  explicit Slider(QWidget* parent, Qt::Orientation orientation = Qt::Horizontal);
  int Min() const { return m_slider->minimum(); }
  int Max() const { return m_slider->maximum(); }
  int Value() const { return m_slider->value(); }
  void setRange(int min, int max) { m_slider->setRange(min, max); }
  void setValue(int v) { m_slider->setValue(v); }
  std::function<void()> onChange;

 private:
  QSlider* m_slider;
};

}  // namespace ui
