#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "audio/AudioEngine.h"
#include "audio/Deck.h"
#include "audio/DeckControls.h"
#include "audio/DeckEngine.h"
#include "audio/PitchControl.h"
#include "audio/Transport.h"
#include "audio/VolumeControl.h"
#include "library/FolderScanner.h"
#include "library/Library.h"
#include "library/LibraryWorker.h"
#include "library/PathListModel.h"
#include "platform/os/AppPaths.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/CommandButton.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Label.h"
#include "platform/ui/ListView.h"
#include "platform/ui/NamedControl.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TextBox.h"
#include "platform/ui/Timer.h"
#include "playlist/PlayFromList.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"
#include "skin/SkinLoader.h"
#include "skin/SkinnedButtons.h"

namespace app {

class Program;

// The main window: it owns every control (grouped by subsystem) and one object per
// subsystem, and wires the controls' events to those objects' handlers.
class MainX {
 public:
  MainX(Program& program, audio::AudioEngine& engine, audio::DeckTable& decks,
        platform::SettingsStore& settings, const platform::AppPaths& paths);
  ~MainX();
  MainX(const MainX&) = delete;
  MainX& operator=(const MainX&) = delete;

  // Shell.
  void Form_Load();
  void Form_Unload();
  void Form_Click();
  void BTend_Click();
  void CMDMIN_Click();
  void Form_MouseDown(int Button, int Shift, float X, float Y);
  void Form_MouseMove(int Button, int Shift, float X, float Y);
  void Form_MouseUp(int Button, int Shift, float X, float Y);
  void PanelPIC_Click(int Index);
  void Frame1_Click();
  void Label1_Click();
  void BTLoad_Click(int Index);
  void cmd_Click();
  void cmdrest_Click();
  void cmdlsk_Click();

  // Loading stages run by the splash.
  void LoadSkin();
  void LoadLanguage();
  bool LoadBaseDa();
  void ResetC();

  ui::Form& form() { return *m_form; }
  audio::DeckEngine& deckEngine() { return *m_deckEngine; }
  audio::Transport& transport() { return *m_transport; }
  audio::VolumeControl& volume() { return *m_volume; }
  audio::PitchControl& pitch() { return *m_pitch; }
  skin::SkinLoader& skinLoader() { return *m_skinLoader; }
  skin::SkinnedButtons& skinnedButtons() { return *m_skinned; }
  playlist::Playlist& playlist() { return *m_playlist; }
  playlist::PlaylistFile& playlistFile() { return *m_playlistFile; }
  playlist::PlayFromList& playFromList() { return *m_playFromList; }
  library::Library& library() { return *m_library; }
  library::FolderScanner& scanner() { return *m_scanner; }
  library::PathListModel& libraryModel() { return m_libraryModel; }
  library::PathListModel& resultModel() { return m_resultModel; }
  library::LibraryWorker& libraryWorker() { return *m_libraryWorker; }
  const ui::ControlOrder& controlOrder() const { return m_order; }
  bool windowDrag() const { return m_windowDrag; }
  void stopTimers();
  // A message box that does not wait for its answer.
  void showMessage(const QString& text, bool warning);

  // The grab offset of the last press on a volume or pitch knob, shared by all four.
  float KnobGrabY = 0;
  // Auto-mix settings taken from their sliders at set-up.
  std::int16_t MixPointPercent = 0;
  std::int16_t FadeStepInterval = 0;

  // Asks the user for an audio file; tests replace it.
  std::function<QString()> chooseAudioFile;

  // Controls of the window itself.
  audio::DeckControls deck{};
  ui::Label* etqsup = nullptr;
  ui::Label* ETQBACK = nullptr;
  ui::Label* lblTime = nullptr;
  ui::Label* ETMASTER = nullptr;
  ui::PictureBox* BTend = nullptr;
  ui::PictureBox* CMDMIN = nullptr;
  ui::CommandButton* cmdlsk = nullptr;
  ui::PictureBox* MasterVOL = nullptr;
  ui::PictureBox* MASTSL = nullptr;
  std::array<ui::PictureBox*, 2> LinetoMX{};
  std::array<ui::PictureBox*, 6> PanelPIC{};
  ui::Timer* MTimer = nullptr;
  ui::Timer* ChangeVol = nullptr;
  ui::Timer* Timer1 = nullptr;

  // Tab 0: the file browser.
  ui::PictureBox* frmPanelx0 = nullptr;
  ui::TextBox* txtruta = nullptr;
  ui::PictureBox* cmdgodo = nullptr;
  ui::PictureBox* cmdback = nullptr;
  ui::PictureBox* cmdVEW = nullptr;
  // Tab 1: the library.
  ui::PictureBox* PICFICHEROS = nullptr;
  ui::PictureBox* frmPanelx1 = nullptr;
  ui::ListView* lstdata = nullptr;
  ui::ListView* lstresul = nullptr;
  ui::TextBox* txtbusq = nullptr;
  ui::CommandButton* cmdbusq = nullptr;
  ui::PictureBox* BaseImg = nullptr;
  ui::Label* lblCntLST = nullptr;
  ui::Label* LblFolder = nullptr;
  ui::Label* lbleti = nullptr;
  ui::CommandButton* cmdaddbase = nullptr;
  ui::CommandButton* cmdCancelScan = nullptr;
  ui::Frame* frmbusq = nullptr;
  ui::CommandButton* cmdkl = nullptr;
  std::array<ui::CommandButton*, 2> cmdbuq{};
  ui::TextBox* txtbsq = nullptr;
  ui::Label* OPTETQ = nullptr;
  ui::Label* OPTETQ2 = nullptr;
  ui::CommandButton* cmdbusqc = nullptr;
  // Tab 3: pre-listening.
  ui::PictureBox* frmPanelx3 = nullptr;
  // Tab 4: options.
  ui::PictureBox* frmPanelx4 = nullptr;
  ui::CommandButton* cmdrest = nullptr;
  ui::Frame* Frame2 = nullptr;
  ui::CheckBox* chkvfx = nullptr;
  ui::Frame* Frame1 = nullptr;
  ui::Label* lblDur = nullptr;
  ui::Slider* slDur = nullptr;
  ui::Label* lblVel = nullptr;
  ui::Slider* slVel = nullptr;
  ui::Frame* frma = nullptr;
  std::array<ui::Label*, 2> lblBase{};
  std::array<ui::TextBox*, 2> txtBase{};
  ui::CommandButton* cmd = nullptr;
  ui::Slider* Slider1 = nullptr;
  ui::Label* Label4 = nullptr;
  // Tab 5: equaliser and chorus.
  ui::PictureBox* frmPanelx5 = nullptr;
  // Always shown: the playlist.
  ui::PictureBox* PICTURELST = nullptr;
  ui::PictureBox* frmPanelx2 = nullptr;
  ui::Label* Label555 = nullptr;
  ui::ListView* LSTMP3 = nullptr;
  std::array<ui::PictureBox*, 3> PICSEL{};
  ui::Label* SelDir = nullptr;
  ui::PictureBox* PlayStrip = nullptr;  // holds PLAYNX level with the list's rows
  ui::Label* PLAYNX = nullptr;
  ui::Label* Label7 = nullptr;
  ui::Label* IdxLST = nullptr;
  ui::Label* Label1 = nullptr;
  ui::CommandButton* cmdbk = nullptr;
  ui::CommandButton* cmdnext = nullptr;
  ui::CommandButton* cmdquitarlst = nullptr;
  ui::CommandButton* cmdCls = nullptr;

 private:
  void createControls();
  void createSubsystems();
  void createDeck(int i);
  void createPanels();
  void createOptionsPanel(QWidget* p);
  void createLibraryPanel(QWidget* p);
  void fillSkinTargets();
  void wireEvents();
  void wireDeck(int i);
  void wirePlaylist();
  void wireLibrary();
  template <typename T>
  T* named(T* control, const QString& name, int index = -1) {
    m_order.push_back({name, index, control});
    return control;
  }

  Program& m_program;
  audio::AudioEngine& m_engine;
  audio::DeckTable& m_decks;
  platform::SettingsStore& m_settings;
  const platform::AppPaths& m_paths;
  ui::ControlOrder m_order;
  // The library's rows outlive the views that show them.
  library::PathListModel m_libraryModel{false};
  library::PathListModel m_resultModel{true};
  std::unique_ptr<ui::Form> m_form;
  skin::SkinTargets m_skinTargets;
  std::unique_ptr<skin::SkinLoader> m_skinLoader;
  std::unique_ptr<skin::SkinnedButtons> m_skinned;
  std::unique_ptr<audio::DeckEngine> m_deckEngine;
  std::unique_ptr<audio::PitchControl> m_pitch;
  std::unique_ptr<audio::VolumeControl> m_volume;
  std::unique_ptr<audio::Transport> m_transport;
  playlist::PlaylistControls m_playlistControls;
  std::unique_ptr<playlist::Playlist> m_playlist;
  std::unique_ptr<playlist::PlaylistFile> m_playlistFile;
  std::unique_ptr<playlist::PlayFromList> m_playFromList;
  library::LibraryControls m_libraryControls;
  std::unique_ptr<library::LibraryWorker> m_libraryWorker;
  std::unique_ptr<library::Library> m_library;
  std::unique_ptr<library::FolderScanner> m_scanner;
  bool m_windowDrag = false;
  float m_dragX = 0, m_dragY = 0;
  bool m_unloaded = false;
};

}  // namespace app
