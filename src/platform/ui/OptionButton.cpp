#include "OptionButton.h"

namespace ui {

OptionButton::OptionButton(QWidget* parent, const QString& caption)
    : Control(new QRadioButton(caption, parent)), m_radio(static_cast<QRadioButton*>(widget())) {
  m_stockWidget = true;
  m_radio->setFocusPolicy(Qt::TabFocus);
  QObject::connect(m_radio, &QRadioButton::clicked, this, [this](bool on) {
    if (on) click();
  });
}

void OptionButton::setValue(bool on) {
  const bool was = m_radio->isChecked();
  m_radio->setChecked(on);
  if (on && !was) click();
}

}  // namespace ui
