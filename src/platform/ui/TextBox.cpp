#include "TextBox.h"

#include <QKeyEvent>

namespace ui {

TextBox::TextBox(QWidget* parent, const QString& text)
    : Control(new QLineEdit(text, parent)), m_edit(static_cast<QLineEdit*>(widget())) {
  m_stockWidget = true;
  QObject::connect(m_edit, &QLineEdit::textChanged, this, [this] {
    if (onChange) onChange();
  });
}

bool TextBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == widget() && event->type() == QEvent::KeyPress && onKeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    const QString t = k->text();
    if (enter || !t.isEmpty()) onKeyPress(enter ? 13 : int(t.at(0).unicode()));
  } else if (watched == widget() && event->type() == QEvent::KeyRelease && onKeyUp) {
    onKeyUp();
  }
  return Control::eventFilter(watched, event);
}

}  // namespace ui
