#pragma once

#include <QProgressBar>

#include "Control.h"

namespace ui {

class ProgressBar : public Control {
 public:
  explicit ProgressBar(QWidget* parent);
  int Min() const { return m_bar->minimum(); }
  int Max() const { return m_bar->maximum(); }
  int Value() const { return m_bar->value(); }
  void setMin(int v) { m_bar->setMinimum(v); }
  void setMax(int v) { m_bar->setMaximum(v); }
  void setValue(int v) { m_bar->setValue(v); }

 private:
  QProgressBar* m_bar;
};

}  // namespace ui
