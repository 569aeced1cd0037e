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
  std::function<void(int KeyAscii)> onKeyPress;

 private:
  QLineEdit* m_edit;
};

}  // namespace ui
