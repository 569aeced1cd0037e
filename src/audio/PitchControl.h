#pragma once

#include "DeckEngine.h"
#include "KnobGrab.h"
#include "platform/ui/WindowDrag.h"

namespace audio {

// The pitch knobs: the knob's place sets the deck's playback frequency as a factor of the
// track's own (2 at the top, 1 near the centre, almost 0 at the bottom); speed and pitch
// move together.
class PitchControl {
 public:
  PitchControl(DeckEngine& engine, DeckTable& decks, std::array<DeckPanel*, 2> panels,
               KnobGrab& grab, ui::WindowDrag& windowDrag);

  void ResetC();
  void XPicthBt_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void XPicthBt_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void XPicthBt_MouseUp(int Index, int Button, int Shift, float X, float Y);
  void XPicthBt_DblClick(int Index);
  void cmdPicthRe_Click(int Index);
  void BTPICTHUP_Click(int Index);
  void BTPICTHDW_Click(int Index);
  // The pitch knob's keys: each step up is a click of the up button, each step down one of
  // the down button.
  void XPicthBt_Step(int Index, int Steps);
  // Puts the knob at `fraction` of its travel up from the bottom (a controller's fader):
  // 0.5 is the centre, 1 the top (twice the speed).
  void XPicthBt_Set(int Index, double fraction);

 private:
  void centre(int deck);
  // Moves a deck's pitch knob by `by` twips along its track and applies the new pitch.
  void movePitch(int deck, float by);
  static constexpr float kPitchStep = 5.0f;

  DeckEngine& m_engine;
  DeckTable& m_decks;
  std::array<DeckPanel*, 2> m_panels;
  KnobGrab& m_grab;
  ui::WindowDrag& m_windowDrag;
};

}  // namespace audio
