#include "TextBox.h"

namespace ui {

TextBox::TextBox(QWidget* parent, const QString& text)
    : Control(new QLineEdit(text, parent)), m_edit(static_cast<QLineEdit*>(widget())) {
  m_stockWidget = true;
  QObject::connect(m_edit, &QLineEdit::textChanged, this, [this] {
    if (onChange) onChange();
  });
  QObject::connect(m_edit, &QLineEdit::returnPressed, this, [this] {
    if (onKeyPress) onKeyPress(13);
  });
}

}  // namespace ui
