#pragma once

#include <QCheckBox>

#include "Control.h"

namespace ui {

// Value 0 (off) or 1 (on); a change by the user or by code raises Click.
class CheckBox : public Control {
 public:
  explicit CheckBox(QWidget* parent, const QString& caption = {});
  int Value() const { return m_box->isChecked() ? 1 : 0; }
  void setValue(int v);
  QString Caption() const { return m_box->text(); }
  void setCaption(const QString& text) { m_box->setText(text); }
  bool setCaptionText(const QString& text) override {
    setCaption(text);
    return true;
  }

 private:
  QCheckBox* m_box;
};

}  // namespace ui
