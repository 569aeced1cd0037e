#include "CommandButton.h"

namespace ui {

CommandButton::CommandButton(QWidget* parent, const QString& caption)
    : Control(new QPushButton(caption, parent)), m_button(static_cast<QPushButton*>(widget())) {
  m_stockWidget = true;
  m_button->setFocusPolicy(Qt::NoFocus);
  QObject::connect(m_button, &QPushButton::clicked, this, [this] { click(); });
}

}  // namespace ui
