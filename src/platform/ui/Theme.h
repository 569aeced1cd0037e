#pragma once

class QApplication;

namespace ui {

// The player's dark look for the stock widgets (check boxes, option buttons, sliders,
// lists and dialogs), so that their text stays legible on the dark panels.
void applyDarkTheme(QApplication& app);

}  // namespace ui
