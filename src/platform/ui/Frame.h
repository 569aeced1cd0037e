#pragma once

#include <QGroupBox>

#include "Control.h"

namespace ui {

// A captioned container.
class Frame : public Control {
 public:
  explicit Frame(QWidget* parent, const QString& caption = {});
  QString Caption() const { return m_box->title(); }
  void setCaption(const QString& text) { m_box->setTitle(text); }
  bool setCaptionText(const QString& text) override {
    setCaption(text);
    return true;
  }
  QWidget* container() const { return m_box; }

 private:
  QGroupBox* m_box;
};

}  // namespace ui
