#pragma once

#include <array>

#include "PanelState.h"
#include "platform/os/AppPaths.h"
#include "platform/os/AudioFiles.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/Build.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/CommandButton.h"
#include "platform/ui/Frame.h"
#include "platform/ui/OptionButton.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TextBox.h"

namespace app {

// The options tab: the spectrum switch, the auto-mix sliders, the stream buffer, the paths
// of the library and playlist files with their save and restore-defaults buttons, and the
// file types the player takes, and the auto-mix's mixing options. The controls show their parts of
// `state` and `fileTypes` and write them when they change; other subsystems read the state.
class OptionsPanel {
 public:
  OptionsPanel(QWidget* page, ui::Builder& build, platform::SettingsStore& settings,
               const platform::AppPaths& paths, PanelState& state,
               platform::FileTypeChoice& fileTypes);

  // The file types the settings hold: all audio files when there is no choice yet (or one
  // this program does not know).
  static platform::FileTypes savedFileTypes(const platform::SettingsStore& settings);

  // Reads the two paths from the settings, and shows them.
  void loadPaths();
  // Stores the two paths; false (after saying so) when the settings cannot be written.
  bool cmd_Click();
  void cmdrest_Click();

  // Shows a message that does not wait for its answer.
  std::function<void(const QString& text, bool warning)> message;
  // What follows a slider's change, once its setting holds the new value.
  std::function<void()> slDur_Change, slVel_Change, Slider1_Change;
  // What follows a change of the file types, once the choice and its setting hold it.
  std::function<void()> optTypes_Change;

  ui::CommandButton* cmdrest;  // "Restore default"
  ui::Frame* Frame2;
  ui::CheckBox* chkvfx;  // the spectrum display
  ui::Frame* Frame1;     // "Auto Mix"; a click reloads the library
  ui::Label *lblDur, *lblVel;
  ui::Slider* slDur;  // the mix point, percent of the track
  ui::Slider* slVel;  // the fade speed
  ui::Label* Label4;
  ui::Slider* Slider1;  // the stream buffer, seconds
  ui::Frame* frma;      // "Paths"
  std::array<ui::Label*, 2> lblBase{};
  std::array<ui::TextBox*, 2> txtBase{};        // the library file, the playlist file
  ui::CommandButton* cmd;                       // "Guardar"
  ui::Frame* frmTypes;                          // "File types"
  std::array<ui::OptionButton*, 2> optTypes{};  // "MP3 and WMA", "All audio files"
  ui::CommandButton* cmdMix;                    // "Mixing...": opens frmMix over the page
  ui::Frame* frmMix;                            // "Mixing"
  ui::CommandButton* cmdMixClose;               // "Close"
  ui::Frame* frmCurve;                          // "Fade curve"
  std::array<ui::OptionButton*, 2> optCurve{};  // "Linear", "Equal power"
  ui::Frame* frmLevels;                         // "Levels"
  ui::CheckBox* chkSkipSilence;                 // "Skip silence"
  ui::CheckBox* chkLevel;                       // "Level tracks"
  ui::Label* lblTarget;                         // "Target: -18 LUFS"
  ui::Slider* slTarget;                         // the level tracks are brought to, LUFS
  ui::Frame* frmBeats;                          // "Tempo"
  ui::CheckBox* chkBeatMix;                     // "Match beats"
  static constexpr int kMinTargetLufs = -30, kMaxTargetLufs = -6;

 private:
  void showPaths();
  void optTypes_Click(int Index);
  void optCurve_Click(int Index);
  void cmdMix_Click();
  void chkSkipSilence_Click();
  void chkLevel_Click();
  void chkBeatMix_Click();
  void slTarget_Change();
  void showTarget();

  platform::SettingsStore& m_settings;
  const platform::AppPaths& m_paths;
  PanelState& m_state;
  platform::FileTypeChoice& m_fileTypes;
};

}  // namespace app
