#pragma once

#include <array>

#include "DeckEngine.h"
#include "DeckPanel.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/PictureSource.h"

namespace audio {

// The key lock toggles beside the pitch knobs. While a deck's is on, its pitch knob changes
// the tempo alone: the knob, its figure and the deck's frequency stay what they are, and the
// sound layer takes the pitch change back out of whatever plays on the deck. Each deck's
// toggle is kept in its DeckState, read at start and saved when it changes (application
// "TORNAVEL", section "DECKS", keys KEYLOCK0 and KEYLOCK1; off when unset).
class KeyLockControl {
 public:
  KeyLockControl(DeckEngine& engine, DeckTable& decks, std::array<DeckPanel*, 2> panels,
                 platform::SettingsStore& settings, ui::PictureSource& pictures);

  void chkKeyLock_Click(int Index);
  // The toggles' looks from the active skin (KEYLOCK<deck>.bmp off, KEYLOCK<deck>UP.bmp on),
  // or the laid-out look when it has none; after a skin is loaded too.
  void show();

 private:
  DeckEngine& m_engine;
  DeckTable& m_decks;
  std::array<DeckPanel*, 2> m_panels;
  platform::SettingsStore& m_settings;
  ui::PictureSource& m_pictures;
};

}  // namespace audio
