#pragma once

#include <functional>
#include <memory>

#include "ControlActions.h"
#include "Keyboard.h"
#include "MidiPanel.h"
#include "Mpris.h"
#include "OptionsPanel.h"
#include "PanelState.h"
#include "ShellPanel.h"
#include "SkinnedSelection.h"
#include "TrackAnalysis.h"
#include "audio/CuePanel.h"
#include "audio/DecksPanel.h"
#include "audio/KeyLockControl.h"
#include "audio/RecordPanel.h"
#include "effects/ChorusSwitch.h"
#include "effects/EqualizerPanel.h"
#include "effects/SpectrumDisplay.h"
#include "library/BrowserPanel.h"
#include "library/LibraryPanel.h"
#include "playlist/PlaylistPanel.h"
#include "skin/SkinLoader.h"
#include "skin/SkinnedButtons.h"

namespace app {

// The main window: it creates the panels of every subsystem, hands each the services it
// needs, wires the few calls that cross from one subsystem to another, and runs the
// window's set-up and shut-down.
class MainX {
 public:
  // `end` ends the program once the window has shut down.
  MainX(audio::AudioEngine& engine, audio::DeckTable& decks, platform::SettingsStore& settings,
        platform::FileTypeChoice& fileTypes, const platform::AppPaths& paths,
        std::function<void()> end, bool measureTracks = true);
  ~MainX();
  MainX(const MainX&) = delete;
  MainX& operator=(const MainX&) = delete;

  void Form_Load();
  void Form_Unload();
  void BTend_Click();
  void Frame1_Click();
  void Label1_Click();
  // Where the library load shows how far it has got (the splash).
  void setLoadProgress(library::LoadProgress* progress);
  // Loading stages run by the splash.
  void LoadSkin();
  void LoadLanguage();
  bool LoadBaseDa();
  void ResetC();
  // A message box that does not wait for its answer.
  void showMessage(const QString& text, bool warning);
  void showMessage(const QString& text, library::MessageIcon icon);
  void stopTimers();
  // Files opened from outside the window (the command line, a later launch).
  void openFiles(const QByteArrayList& paths, playlist::PlaylistActions::Start start, bool raise);
  // Brings the window to the front, out of the taskbar if it was minimised.
  void raise();

  ui::Form& form() { return *m_form; }
  ShellPanel& shell() { return *m_shell; }
  OptionsPanel& options() { return *m_options; }
  audio::CuePanel& cue() { return *m_cue; }
  audio::KeyLockControl& keyLock() { return *m_keyLock; }
  audio::RecordPanel& record() { return *m_record; }
  audio::DecksPanel& decks() { return *m_decks; }
  audio::DeckPanel& deck(int i) { return m_decks->deck(i); }
  effects::EqualizerPanel& equaliser() { return *m_equaliser; }
  effects::ChorusSwitch& chorus() { return *m_chorus; }
  effects::SpectrumDisplay& spectrum() { return *m_spectrum; }
  playlist::PlaylistPanel& playlist() { return *m_playlist; }
  library::LibraryPanel& library() { return *m_library; }
  library::BrowserPanel& browser() { return *m_browser; }
  Mpris& mpris() { return *m_mpris; }
  TrackAnalysis& analysis() { return *m_analysis; }
  const ControlActions& actions() const { return *m_actions; }
  Keyboard& keyboard() { return *m_keyboard; }
  MidiPanel& midi() { return *m_midi; }
  library::TrackFactsTable& trackFacts() { return m_facts; }
  skin::SkinLoader& skinLoader() { return *m_skinLoader; }
  skin::SkinnedButtons& skinnedButtons() { return *m_skinned; }
  const ui::ControlOrder& controlOrder() const { return m_order; }
  const ui::WindowDrag& windowDrag() const { return m_windowDrag; }

 private:
  void wire();
  void wireDrops();
  void wireBrowser();
  void showBox(const QString& text, int icon);
  void askBox(const QString& question, std::function<void(bool)> answer);
  // Removes what killed saves left behind, and says when the settings file is not used.
  void removeLeftovers();

  std::function<void()> m_end;
  audio::AudioEngine& m_engine;
  audio::DeckTable& m_deckTable;
  platform::SettingsStore& m_settings;
  const platform::AppPaths& m_paths;
  ui::ControlOrder m_order;
  ui::Builder m_build{m_order};
  ui::WindowDrag m_windowDrag;
  ui::PanelMarker m_panelMarker;
  PanelState m_state;
  std::unique_ptr<ui::Form> m_form;
  std::unique_ptr<skin::SkinLoader> m_skinLoader;
  std::unique_ptr<skin::SkinnedButtons> m_skinned;
  std::unique_ptr<SkinnedSelection> m_selection;
  std::unique_ptr<ShellPanel> m_shell;
  std::unique_ptr<audio::DecksPanel> m_decks;
  std::unique_ptr<OptionsPanel> m_options;
  std::unique_ptr<audio::CuePanel> m_cue;
  std::unique_ptr<audio::KeyLockControl> m_keyLock;
  std::unique_ptr<effects::EqualizerPanel> m_equaliser;
  std::unique_ptr<effects::ChorusSwitch> m_chorus;
  std::unique_ptr<effects::SpectrumDisplay> m_spectrum;
  std::unique_ptr<library::BrowserPanel> m_browser;
  std::unique_ptr<playlist::PlaylistPanel> m_playlist;
  std::unique_ptr<library::LibraryPanel> m_library;
  std::unique_ptr<Mpris> m_mpris;
  library::TrackFactsTable m_facts;
  std::unique_ptr<TrackAnalysis> m_analysis;
  std::unique_ptr<audio::RecordPanel> m_record;  // its cue sheet reads m_facts
  std::unique_ptr<ControlActions> m_actions;
  std::unique_ptr<Keyboard> m_keyboard;  // runs m_actions, so it goes first
  std::unique_ptr<MidiPanel> m_midi;     // runs m_actions too
  bool m_unloaded = false;
};

}  // namespace app
