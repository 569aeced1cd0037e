#pragma once

#include <QRadioButton>

#include "Control.h"

namespace ui {

// Option buttons in the same container exclude each other, and only those: options in a
// frame leave the options beside the frame alone. Turning one on, by the user or
// by code, raises its Click.
class OptionButton : public Control {
 public:
  explicit OptionButton(QWidget* parent, const QString& caption = {});
  bool Value() const { return m_radio->isChecked(); }
  void setValue(bool on);
  QString Caption() const { return m_radio->text(); }
  void setCaption(const QString& text) { m_radio->setText(text); }
  bool setCaptionText(const QString& text) override {
    setCaption(text);
    return true;
  }
  QRadioButton* radio() const { return m_radio; }

 private:
  QRadioButton* m_radio;
};

}  // namespace ui
