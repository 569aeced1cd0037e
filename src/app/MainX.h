#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "audio/AudioEngine.h"
#include "audio/Deck.h"
#include "audio/DeckControls.h"
#include "audio/DeckEngine.h"
#include "audio/PitchControl.h"
#include "audio/Transport.h"
#include "audio/VolumeControl.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Timer.h"

namespace app {

class Program;

// The main window: it owns every control (grouped by subsystem) and one object per
// subsystem, and wires the controls' events to those objects' handlers.
class MainX {
 public:
  MainX(Program& program, audio::AudioEngine& engine, audio::DeckTable& decks);
  ~MainX();
  MainX(const MainX&) = delete;
  MainX& operator=(const MainX&) = delete;

  void Form_Load();
  void Form_Unload();
  void BTend_Click();
  void CMDMIN_Click();
  void Form_MouseDown(int Button, int Shift, float X, float Y);
  void Form_MouseMove(int Button, int Shift, float X, float Y);
  void Form_MouseUp(int Button, int Shift, float X, float Y);
  void BTLoad_Click(int Index);

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
  bool windowDrag() const { return m_windowDrag; }

  // The grab offset of the last press on a volume or pitch knob, shared by all four.
  float KnobGrabY = 0;
  void stopTimers();

  // Asks the user for an audio file; tests replace it.
  std::function<QString()> chooseAudioFile;

  // Controls.
  audio::DeckControls deck{};
  ui::Label* etqsup = nullptr;
  ui::Label* ETQBACK = nullptr;
  ui::Label* ETMASTER = nullptr;
  ui::Label* lblTime = nullptr;
  ui::PictureBox* BTend = nullptr;
  ui::PictureBox* CMDMIN = nullptr;
  ui::PictureBox* MasterVOL = nullptr;
  ui::PictureBox* MASTSL = nullptr;
  ui::PictureBox* PICTURELST = nullptr;
  std::array<ui::PictureBox*, 3> PICSEL{};
  ui::PictureBox* OptionsPanel = nullptr;
  ui::Slider* Slider1 = nullptr;
  ui::Label* Label4 = nullptr;
  ui::Timer* MTimer = nullptr;
  ui::Timer* ChangeVol = nullptr;
  ui::Timer* Timer1 = nullptr;

 private:
  void createControls();
  void createDeck(int i);
  void wireEvents();
  void wireDeck(int i);

  Program& m_program;
  audio::AudioEngine& m_engine;
  audio::DeckTable& m_decks;
  std::unique_ptr<ui::Form> m_form;
  std::unique_ptr<audio::DeckEngine> m_deckEngine;
  std::unique_ptr<audio::PitchControl> m_pitch;
  std::unique_ptr<audio::VolumeControl> m_volume;
  std::unique_ptr<audio::Transport> m_transport;
  bool m_windowDrag = false;
  float m_dragX = 0, m_dragY = 0;
  bool m_unloaded = false;
};

}  // namespace app
