#pragma once

namespace ui {

// Whether a window drag may be under way, and where it started: set by a press on the window
// background or its title, cleared by a release there or on a deck knob.
struct WindowDrag {
  bool active = false;
  float x = 0, y = 0;
};

}  // namespace ui
