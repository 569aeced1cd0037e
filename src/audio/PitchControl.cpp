#include "PitchControl.h"

#include <algorithm>

namespace audio {

PitchControl::PitchControl(DeckEngine& engine, DeckTable& decks, std::array<DeckPanel*, 2> panels,
                           KnobGrab& grab, ui::WindowDrag& windowDrag)
    : m_engine(engine), m_decks(decks), m_panels(panels), m_grab(grab), m_windowDrag(windowDrag) {}

void PitchControl::ResetC() {
  for (int d : {DeckA, DeckB}) {
    const DeckPanel& p = *m_panels[std::size_t(d)];
    m_engine.pitchKnob(d).placeAt(p.XPitch->Height() / 2 - p.XPicthBt->Height() / 2);
    m_engine.volumeKnob(d).placeAt(0);
    m_engine.positionKnob(d).placeAt(0);
    p.SLPosLeft->setLeft(1);
    p.XPicthBt->setLeft(1);
  }
  m_engine.ShowP(DeckA);
  m_engine.ShowP(DeckB);
}

void PitchControl::XPicthBt_MouseDown(int, int, int, float, float Y) {
  m_grab.y = Y;
}

void PitchControl::XPicthBt_MouseMove(int Index, int Button, int, float, float Y) {
  if (Button == ui::LeftButton) movePitch(Index, Y - m_grab.y);
}

void PitchControl::movePitch(int deck, float by) {
  m_engine.pitchKnob(deck).moveBy(by);
  m_engine.ShowP(deck);
  m_engine.SetFreq(deck);
}

void PitchControl::XPicthBt_MouseUp(int, int, int, float, float) {
  m_windowDrag.active = false;
}

void PitchControl::centre(int deck) {
  const DeckPanel& p = *m_panels[std::size_t(deck)];
  m_engine.pitchKnob(deck).placeAt((p.XPitch->Height() - p.XPicthBt->Height()) / 2);
  m_engine.SetFreq(deck);
  m_engine.ShowP(deck);
}

void PitchControl::XPicthBt_DblClick(int Index) {
  centre(Index);
}
void PitchControl::cmdPicthRe_Click(int Index) {
  centre(Index);
}

// A click moves the knob one step; it leaves the shared grab offset at nought, as before.
void PitchControl::BTPICTHUP_Click(int Index) {
  m_grab.y = 0;
  movePitch(Index, -kPitchStep);
}

void PitchControl::BTPICTHDW_Click(int Index) {
  m_grab.y = 0;
  movePitch(Index, kPitchStep);
}

void PitchControl::XPicthBt_Step(int Index, int Steps) {
  m_grab.y = 0;
  movePitch(Index, -kPitchStep * float(Steps));
}

void PitchControl::XPicthBt_Set(int Index, double fraction) {
  Knob& k = m_engine.pitchKnob(Index);
  k.moveTo(float((1.0 - std::clamp(fraction, 0.0, 1.0)) * double(k.travel())));
  m_engine.ShowP(Index);
  m_engine.SetFreq(Index);
}

}  // namespace audio
