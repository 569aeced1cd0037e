#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "DeckEngine.h"
#include "DeckPanel.h"
#include "DeckWaveforms.h"
#include "KnobGrab.h"
#include "PitchControl.h"
#include "PreviewPlayer.h"
#include "Transport.h"
#include "VolumeControl.h"
#include "platform/ui/Timer.h"

namespace audio {

// The two decks and the master level: their controls, the 100 ms tick that follows them,
// the held-step timer, and the handlers of everything on them.
class DecksPanel {
 public:
  DecksPanel(AudioEngine& engine, DeckTable& decks, ui::Form& form, ui::Builder& build,
             DeckSelection& selection, DeckChoice& choice, ui::WindowDrag& windowDrag,
             ui::PictureSource& pictures, const platform::FileTypeChoice& fileTypes);
  // The load button's dialog offers the files a deck opens: "Audio files (*.mp3 *.MP3 ...)".
  static QString dialogFilter(platform::FileTypes types);
  ~DecksPanel();

  DeckPanel& deck(int i) { return *m_decks[std::size_t(i)]; }
  DeckEngine& engine() { return *m_engine; }
  Transport& transport() { return *m_transport; }
  VolumeControl& volume() { return *m_volume; }
  PitchControl& pitch() { return *m_pitch; }
  PreviewPlayer& preview() { return *m_preview; }
  KnobGrab& knobGrab() { return m_grab; }
  DeckWaveforms& waveforms() { return *m_waveforms; }

  void BTLoad_Click(int Index);
  // Runs every 100 ms: the decks' positions, titles and times, then whatever else follows
  // the decks (the spectra).
  void MTimer_Timer();
  void stopTimers();

  // Asks the user for an audio file; tests replace it.
  std::function<QString()> chooseAudioFile;

  ui::Label* lblTime;  // the wall clock
  ui::Label* ETMASTER;
  ui::PictureBox* MasterVOL;  // master track
  ui::PictureBox* MASTSL;     // master knob
  ui::Timer* MTimer;
  ui::Timer* ChangeVol;
  ui::Timer* Timer1;

 private:
  void wireDeck(int i);

  std::array<std::unique_ptr<DeckPanel>, 2> m_decks;
  KnobGrab m_grab;
  std::unique_ptr<DeckEngine> m_engine;
  std::unique_ptr<Transport> m_transport;
  std::unique_ptr<PitchControl> m_pitch;
  std::unique_ptr<VolumeControl> m_volume;
  std::unique_ptr<PreviewPlayer> m_preview;
  std::unique_ptr<DeckWaveforms> m_waveforms;
};

}  // namespace audio
