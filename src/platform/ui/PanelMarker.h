#pragma once

namespace ui {

// The tab of the shared panel chosen last (0 the file browser, 1 the library, ...): set by
// the tabs, read by the menus that act on whatever list is on view.
struct PanelMarker {
  int tab = 0;
};

}  // namespace ui
