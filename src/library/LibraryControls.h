#pragma once

#include <array>

#include "platform/ui/CommandButton.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Label.h"
#include "platform/ui/ListView.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/TextBox.h"

namespace library {

// The library panel's controls and the library path box.
struct LibraryControls {
  ui::ListView* lstdata = nullptr;
  ui::ListView* lstresul = nullptr;
  ui::TextBox* txtbusq = nullptr;
  ui::PictureBox* BaseImg = nullptr;
  ui::Label* lblCntLST = nullptr;
  ui::Label* LblFolder = nullptr;
  ui::Label* lbleti = nullptr;
  ui::CommandButton* cmdaddbase = nullptr;
  ui::Frame* frmbusq = nullptr;
  ui::TextBox* txtbsq = nullptr;
  ui::TextBox* txtBase0 = nullptr;  // the library file's path
};

}  // namespace library
