#include "OptionButton.h"

#include <QButtonGroup>

namespace ui {

OptionButton::OptionButton(QWidget* parent, const QString& caption)
    : Control(new QRadioButton(caption, parent)), m_radio(static_cast<QRadioButton*>(widget())) {
  m_stockWidget = true;
  m_radio->setFocusPolicy(Qt::TabFocus);
  // Qt's own exclusion looks through the whole tree below the parent, so options in a frame
  // would take part in the exclusion of options beside the frame. Each container's options
  // are one group of their own.
  if (parent) {
    auto* group = parent->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly);
    if (!group) group = new QButtonGroup(parent);
    group->addButton(m_radio);
  }
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
