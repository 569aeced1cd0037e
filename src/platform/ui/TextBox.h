#pragma once

#include <QLineEdit>
#include <functional>

#include "Control.h"

namespace ui {

class TextBox : public Control {
 public:
  explicit TextBox(QWidget* parent, const QString& text = {});
  QString Text() const { return m_edit->text(); }
  void setText(const QString& text) { m_edit->setText(text); }
  bool setCaptionText(const QString& text) override {
    setText(text);
    return true;
  }
  QLineEdit* edit() const { return m_edit; }
  std::function<void()> onChange;
  // Before the key reaches the box (so the text is still as it was); code 13 for Enter.
  std::function<void(int KeyAscii)> onKeyPress;
  std::function<void()> onKeyUp;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 public:
 private:
  QLineEdit* m_edit;
};

}  // namespace ui
