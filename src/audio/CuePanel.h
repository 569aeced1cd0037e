#pragma once

#include <array>
#include <functional>

#include "CueSettings.h"
#include "DeckEngine.h"
#include "DeckPanel.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/Build.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Frame.h"
#include "platform/ui/ListView.h"
#include "platform/ui/NameListModel.h"
#include "platform/ui/OptionButton.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Timer.h"

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
           platform::SettingsStore& settings, CueSettings& state, QWidget* options);

  void BTCue_Click(int Index);
  void HeadMix_Change();
  void HeadLevel_Change();
  void chkCueSplit_Click();
  void chkCueSwap_Click();
  void optCueMode_Click(int Index);
  // A click on a device's row chooses it: list 0 the room's (master), 1 the headphones'.
  void lstCueDevice_Click(int Index);
  // Twice a second: a device that went away or came back is reported.
  void tmrDevices_Timer();

  // Says what became of a device (a missing one at start, one that went away).
  std::function<void(const QString& text)> message;

  ui::Label *lblHeadMix, *lblHeadLevel;
  ui::Slider *HeadMix, *HeadLevel;
  ui::CheckBox* chkCueSplit;  // "Split cue": the room on the left, the headphones on the right
  ui::CheckBox* chkCueSwap;   // "Swap"
  // In the options' mixing frame: where the headphones are heard, and the devices by name.
  ui::Frame* frmHead;
  std::array<ui::OptionButton*, 3> optCueMode{};  // "None", "Split", "Own device"
  std::array<ui::Label*, 2> lblCueDevice{};
  std::array<ui::ListView*, 2> lstCueDevice{};
  ui::Label* lblCueState;
  ui::Timer* tmrDevices;

 private:
  void load();
  void save();
  // Hands the settings to the sound layer and the routes to the decks and the preview, and
  // shows them on the controls.
  void apply();
  // Lists the devices, the chosen ones selected; shows their state.
  void showDevices();
  QString deviceState() const;

  AudioEngine& m_engine;
  DeckTable& m_table;
  DeckEngine& m_decks;
  std::array<DeckPanel*, 2> m_panels;
  platform::SettingsStore& m_settings;
  CueSettings& m_state;
  std::array<ui::NameListModel, 2> m_devices;
  QString m_shownState;
};

}  // namespace audio
