#include "Slider.h"

namespace ui {

Slider::Slider(QWidget* parent, Qt::Orientation orientation)
    : Control(new QSlider(orientation, parent)), m_slider(static_cast<QSlider*>(widget())) {
  m_stockWidget = true;
  m_slider->setFocusPolicy(Qt::TabFocus);
  QObject::connect(m_slider, &QSlider::valueChanged, this, [this] {
    if (onChange) onChange();
  });
}

}  // namespace ui
