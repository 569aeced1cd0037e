#pragma once

#include <array>

#include "CueSettings.h"
#include "DeckEngine.h"
#include "DeckPanel.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/Build.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Slider.h"

namespace audio {

// The headphone cue: a CUE toggle per deck, and beside the master the headphones' output
// (split on one device, sides swapped or not), their mix and their level. The settings live in
// `state`, are read at start and saved whenever they change (application "TORNAVEL", section
// "CUE"); the sound layer gets them at once. While the headphones have an output, a cued deck is
// also heard in them at full level, and the pre-listening player plays to them only.
class CuePanel {
 public:
  CuePanel(AudioEngine& engine, DeckTable& table, DeckEngine& decks,
           std::array<DeckPanel*, 2> panels, QWidget* window, ui::Builder& build,
           platform::SettingsStore& settings, CueSettings& state);

  void BTCue_Click(int Index);
  void HeadMix_Change();
  void HeadLevel_Change();
  void chkCueSplit_Click();
  void chkCueSwap_Click();

  ui::Label *lblHeadMix, *lblHeadLevel;
  ui::Slider *HeadMix, *HeadLevel;
  ui::CheckBox* chkCueSplit;  // "Split cue": the room on the left, the headphones on the right
  ui::CheckBox* chkCueSwap;   // "Swap"

 private:
  void load();
  void save();
  // Hands the settings to the sound layer and the routes to the decks and the preview, and
  // shows them on the controls.
  void apply();

  AudioEngine& m_engine;
  DeckTable& m_table;
  DeckEngine& m_decks;
  std::array<DeckPanel*, 2> m_panels;
  platform::SettingsStore& m_settings;
  CueSettings& m_state;
};

}  // namespace audio
