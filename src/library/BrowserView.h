#pragma once

#include "platform/ui/Build.h"
#include "platform/ui/TextBox.h"

namespace library {

// The file browser's controls on its tab: the up button, the folder box and the buttons
// that open the typed folder.
class BrowserView {
 public:
  BrowserView(QWidget* page, ui::Builder& build);

  ui::PictureBox* cmdback;  // up one folder
  ui::TextBox* txtruta;     // the current folder, or one typed in
  ui::PictureBox* cmdgodo;  // open the typed folder
  ui::PictureBox* cmdVEW;   // the same, from the window's own button
};

}  // namespace library
