#pragma once

#include <QString>

#include "audio/CueSettings.h"
#include "audio/DeckSelection.h"
#include "effects/SpectrumDisplay.h"
#include "library/LibraryFile.h"
#include "playlist/AutoMix.h"

namespace app {

// The state the window's panels show. Each control writes its part when it changes, by the
// user or by code; code that changes a part shows it on its control. The subsystems read
// their parts from here, never from a control.
struct PanelState {
  audio::DeckChoice deck;
  library::LibraryFile library;  // txtBase(0)
  QString playlistFile;          // txtBase(1)
  int streamBufferSeconds = 3;   // Slider1
  effects::SpectrumSwitch spectrum;
  playlist::AutoMixSettings autoMix;
  audio::CueSettings cue;
};

}  // namespace app
