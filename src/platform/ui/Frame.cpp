#include "Frame.h"

namespace ui {

Frame::Frame(QWidget* parent, const QString& caption)
    : Control(new QGroupBox(caption, parent)), m_box(static_cast<QGroupBox*>(widget())) {}

}  // namespace ui
