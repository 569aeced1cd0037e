#include "ScrollBar.h"

namespace ui {

ScrollBar::ScrollBar(QWidget* parent, Qt::Orientation orientation)
    : Control(new QScrollBar(orientation, parent)), m_bar(static_cast<QScrollBar*>(widget())) {
  m_stockWidget = true;
  m_bar->setFocusPolicy(Qt::TabFocus);
}

}  // namespace ui
