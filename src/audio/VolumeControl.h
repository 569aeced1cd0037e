#pragma once

#include "DeckEngine.h"
#include "Knob.h"
#include "KnobGrab.h"
#include "platform/ui/PictureSource.h"
#include "platform/ui/Timer.h"
#include "platform/ui/WindowDrag.h"

namespace audio {

// The deck volume knobs with their held step buttons, and the master knob.
class VolumeControl {
 public:
  struct Master {
    ui::PictureBox* track;  // MasterVOL
    ui::PictureBox* knob;   // MASTSL
  };
  VolumeControl(AudioEngine& engine, DeckEngine& deckEngine, DeckTable& decks,
                std::array<DeckPanel*, 2> panels, Master master, ui::Timer& changeVol,
                KnobGrab& grab, ui::WindowDrag& windowDrag, ui::PictureSource& pictures);

  void XVolBT_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void XVolBT_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void XVolBT_MouseUp(int Index, int Button, int Shift, float X, float Y);
  void BTVOLUP_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTVOLD_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTVOL_MouseUp(int Index, int Button, int Shift, float X, float Y);
  void ChangeVol_Timer();
  // The knobs' keys: a deck's level moves a step button's tick per step (up is louder),
  // the master a tenth.
  void XVolBT_Step(int Index, int Steps);
  void MASTSL_Step(int Steps);
  // Puts a deck's knob at `fraction` of its travel up from the bottom (a controller's
  // fader): 1 is full level.
  void XVolBT_Set(int Index, double fraction);
  void MASTSL_MouseDown(int Button, int Shift, float X, float Y);
  void MASTSL_MouseMove(int Button, int Shift, float X, float Y);
  // Puts the master knob where a drag would leave it for `level` (0..1) and applies that
  // level: it reads in tenths, rounded down as a drag reads it.
  void SetMasterLevel(float level);

  int VolStepAction() const { return m_volStepAction; }
  // The master knob's place, where its level is read from.
  const Knob& masterKnob() const { return m_masterKnob; }

 private:
  // The knob's pressed or normal picture; without a skin, its laid-out look brightened
  // while pressed.
  void showKnob(int deck, bool pressed);
  // The master level the knob's place reads, in tenths rounded down, applied to both decks.
  void applyMasterLevel();
  static constexpr float kVolumeStep = 50.0f;

  AudioEngine& m_engine;
  DeckEngine& m_deckEngine;
  DeckTable& m_decks;
  std::array<DeckPanel*, 2> m_panels;
  Master m_master;
  ui::Timer& m_changeVol;
  KnobGrab& m_grab;
  ui::WindowDrag& m_windowDrag;
  ui::PictureSource& m_pictures;
  int m_volStepAction = 0;
  float m_mastGrabX = 0;
  float m_masterPlace;
  Knob m_masterKnob;
};

}  // namespace audio
