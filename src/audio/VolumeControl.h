#pragma once

#include <QPixmap>
#include <functional>
#include "DeckControls.h"
#include "DeckEngine.h"

#include "platform/ui/Timer.h"

namespace audio {

class PitchControl;

// The deck volume knobs with their held step buttons, and the master knob. Every change of
// level, by the user or by code, goes through the knob's move handler.
class VolumeControl {
 public:
  VolumeControl(AudioEngine& engine, DeckEngine& deckEngine, DeckControls& controls,
                PitchControl& pitch, ui::PictureBox& masterTrack, ui::PictureBox& masterKnob,
                ui::Timer& changeVol, float& knobGrabY, bool& windowDrag);

  void XVolBT_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void XVolBT_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void XVolBT_MouseUp(int Index, int Button, int Shift, float X, float Y);
  void BTVOLUP_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTVOLD_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTVOL_MouseUp(int Index, int Button, int Shift, float X, float Y);
  void ChangeVol_Timer();
  void MASTSL_MouseDown(int Button, int Shift, float X, float Y);
  void MASTSL_MouseMove(int Button, int Shift, float X, float Y);

  // Puts a deck's knob at `top` the way auto-mix and next/previous do: set the place,
  // clear the grab offset and run the move handler so the level reaches the channel.
  void MoveKnobTo(int deck, float top);
  int VolStepAction() const { return m_volStepAction; }

  // The skin's bitmap of a given name ("\BTVolBack0UP.bmp"); null when there is none, and
  // the knob then keeps its laid-out look, brightened while pressed.
  std::function<QPixmap(const QString&)> skinPicture;

 private:
  void showKnob(int deck, bool pressed);

  AudioEngine& m_engine;
  DeckEngine& m_deckEngine;
  DeckControls& m_controls;
  PitchControl& m_pitch;
  ui::PictureBox& m_masterTrack;
  ui::PictureBox& m_masterKnob;
  ui::Timer& m_changeVol;
  float& m_knobGrabY;
  bool& m_windowDrag;
  int m_volStepAction = 0;
  float m_mastGrabX = 0;
};

}  // namespace audio
