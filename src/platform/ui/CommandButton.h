#pragma once

#include <QPushButton>

#include "Control.h"

namespace ui {

class CommandButton : public Control {
 public:
  explicit CommandButton(QWidget* parent, const QString& caption = {});
  QString Caption() const { return m_button->text(); }
  void setCaption(const QString& text) { m_button->setText(text); }
  bool setCaptionText(const QString& text) override {
    setCaption(text);
    return true;
  }
  QPushButton* button() const { return m_button; }

 private:
  QPushButton* m_button;
};

}  // namespace ui
