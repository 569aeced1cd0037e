#pragma once

#include "DeckControls.h"
#include "DeckEngine.h"

namespace audio {

// The pitch knobs: the knob's place sets the deck's playback frequency as a factor of the
// track's own (2 at the top, 1 near the centre, almost 0 at the bottom); speed and pitch
// move together.
class PitchControl {
 public:
  PitchControl(AudioEngine& engine, DeckTable& decks, DeckControls& controls, float& knobGrabY,
               bool& windowDrag);

  void SetFreq(int deck);
  void ShowP(int deck);
  void ResetC();
  void XPicthBt_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void XPicthBt_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void XPicthBt_MouseUp(int Index, int Button, int Shift, float X, float Y);
  void XPicthBt_DblClick(int Index);
  void cmdPicthRe_Click(int Index);
  void BTPICTHUP_Click(int Index);
  void BTPICTHDW_Click(int Index);

  // The factor the knob gives now.
  double Factor(int deck) const;
  // One figure to one decimal, never "-0.0".
  static QString FormatFigure(double value);

 private:
  void centre(int deck);

  AudioEngine& m_engine;
  DeckTable& m_decks;
  DeckControls& m_controls;
  float& m_knobGrabY;
  bool& m_windowDrag;
};

}  // namespace audio
