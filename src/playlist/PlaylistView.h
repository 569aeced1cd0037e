#pragma once

#include <array>

#include "PlaylistModel.h"
#include "platform/ui/Build.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/CommandButton.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Timer.h"

namespace playlist {

// The playlist's controls, always on view at the right of the window: the list with its
// marker bars and labels, the buttons under it, and the switches and timers of auto-mix.
class PlaylistView {
 public:
  static constexpr float kRow = 210.0f;  // twips per row of the list

  PlaylistView(QWidget* window, PlaylistModel& model, ui::Builder& build);

  ui::PictureBox* PICTURELST;  // the panel
  ui::PictureBox* frmPanelx2;  // its inside
  ui::Label* Label555;         // "List Player"
  ui::ListView* LSTMP3;
  std::array<ui::PictureBox*, 3> PICSEL{};  // insertion, hover, current-entry bars
  ui::Label* SelDir;                        // "Play >" beside the row under the pointer
  ui::PictureBox* PlayStrip;                // holds PLAYNX level with the list's rows
  ui::Label* PLAYNX;                        // ">" beside the current entry
  ui::Label* Label7;                        // "Aqui !", never shown
  ui::Label* IdxLST;                        // the current entry's number, hidden
  ui::Label* Label1;                        // the artist of the row last right-clicked
  ui::CommandButton *cmdbk, *cmdnext, *cmdquitarlst, *cmdCls;
  ui::CheckBox* AutoL;  // "Auto Play"
  ui::CheckBox* chkR;   // "Repetir LST": start again at entry 1 after the last
  ui::Timer* AutoLST;   // the auto-mix check, every second while "Auto Play" is ticked
  ui::Timer* tmrmx;     // one fade step of auto-mix
};

}  // namespace playlist
