#include "CheckBox.h"

namespace ui {

CheckBox::CheckBox(QWidget* parent, const QString& caption)
    : Control(new QCheckBox(caption, parent)), m_box(static_cast<QCheckBox*>(widget())) {
  m_stockWidget = true;
  m_box->setFocusPolicy(Qt::TabFocus);
  QObject::connect(m_box, &QCheckBox::clicked, this, [this] { click(); });
}

void CheckBox::setValue(int v) {
  const bool on = v != 0;
  if (on == m_box->isChecked()) return;
  m_box->setChecked(on);
  click();
}

}  // namespace ui
