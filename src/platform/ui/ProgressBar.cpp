#include "ProgressBar.h"

namespace ui {

ProgressBar::ProgressBar(QWidget* parent)
    : Control(new QProgressBar(parent)), m_bar(static_cast<QProgressBar*>(widget())) {
  m_bar->setTextVisible(false);
  m_bar->setRange(0, 100);
}

}  // namespace ui
