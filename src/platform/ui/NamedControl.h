#pragma once

#include <QString>
#include <vector>

namespace ui {

class Control;

// A control of a window under its name, with its index when it belongs to a control array
// (-1 otherwise), in the window's own control order.
struct NamedControl {
  QString name;
  int index = -1;
  Control* control = nullptr;
};

using ControlOrder = std::vector<NamedControl>;

}  // namespace ui
