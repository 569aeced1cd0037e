#include "CommandButton.h"

namespace ui {

CommandButton::CommandButton(QWidget* parent, const QString& caption)
    : Control(new QPushButton(caption, parent)), m_button(static_cast<QPushButton*>(widget())) {
  m_stockWidget = true;
  m_button->setFocusPolicy(Qt::TabFocus);
  m_button->setAutoDefault(true);  // Enter presses it when it has the focus, as Space does
  QObject::connect(m_button, &QPushButton::clicked, this, [this] { click(); });
}

}  // namespace ui
