#pragma once

#include <array>

#include "platform/ui/Label.h"
#include "platform/ui/ListView.h"
#include "platform/ui/PictureBox.h"

namespace playlist {

// The playlist view and the markers drawn over it.
struct PlaylistControls {
  ui::ListView* LSTMP3 = nullptr;
  std::array<ui::PictureBox*, 3> PICSEL{};  // insertion, hover, current entry
  ui::Label* SelDir = nullptr;              // "Play >" beside the row under the pointer
  ui::Label* PLAYNX = nullptr;              // ">" beside the current entry
  ui::Label* Label7 = nullptr;              // holds the drop row
  ui::Label* IdxLST = nullptr;              // the current entry's position, "0" for none
  ui::Label* Label1 = nullptr;              // the artist of the right-clicked row
  ui::PictureBox* PICTURELST = nullptr;     // the panel the list sits in
};

}  // namespace playlist
