#pragma once

#include <QScrollBar>

#include "Control.h"

namespace ui {

// A scroll bar with an integer Value between Min and Max; a value outside is taken to the
// nearer end, as the bar cannot show it.
class ScrollBar : public Control {
 public:
  explicit ScrollBar(QWidget* parent, Qt::Orientation orientation = Qt::Vertical);
  int Min() const { return m_bar->minimum(); }
  int Max() const { return m_bar->maximum(); }
  int Value() const { return m_bar->value(); }
  void setRange(int min, int max) { m_bar->setRange(min, max); }
  void setValue(int v) { m_bar->setValue(v); }

 private:
  QScrollBar* m_bar;
};

}  // namespace ui
