#include "PitchControl.h"

namespace audio {

PitchControl::PitchControl(DeckEngine& engine, DeckTable& decks, std::array<DeckPanel*, 2> panels,
                           KnobGrab& grab, ui::WindowDrag& windowDrag)
    : m_engine(engine), m_decks(decks), m_panels(panels), m_grab(grab), m_windowDrag(windowDrag) {}

void PitchControl::ResetC() {
  for (int d : {DeckA, DeckB}) {
    const DeckPanel& p = *m_panels[std::size_t(d)];
    DeckState& s = m_decks[std::size_t(d)];
    s.PitchTop = p.XPitch->Height() / 2 - p.XPicthBt->Height() / 2;
    s.VolumeTop = 0;
    s.PositionLeft = 0;
    m_engine.showKnobs(d);
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
  if (Button != ui::LeftButton) return;
  const DeckPanel& p = *m_panels[std::size_t(Index)];
  DeckState& s = m_decks[std::size_t(Index)];
  s.PitchTop = knobPlace(s.PitchTop + Y - m_grab.y, p.XPicthBt->Height(), p.XPitch->Height());
  p.XPicthBt->setTop(s.PitchTop);
  m_engine.ShowP(Index);
  m_engine.SetFreq(Index);
}

void PitchControl::XPicthBt_MouseUp(int, int, int, float, float) {
  m_windowDrag.active = false;
}

void PitchControl::centre(int deck) {
  const DeckPanel& p = *m_panels[std::size_t(deck)];
  m_decks[std::size_t(deck)].PitchTop = (p.XPitch->Height() - p.XPicthBt->Height()) / 2;
  p.XPicthBt->setTop(m_decks[std::size_t(deck)].PitchTop);
  m_engine.SetFreq(deck);
  m_engine.ShowP(deck);
}

void PitchControl::XPicthBt_DblClick(int Index) {
  centre(Index);
}
void PitchControl::cmdPicthRe_Click(int Index) {
  centre(Index);
}

void PitchControl::BTPICTHUP_Click(int Index) {
  m_grab.y = 0;
  XPicthBt_MouseMove(Index, ui::LeftButton, 0, 0, -5);
}

void PitchControl::BTPICTHDW_Click(int Index) {
  m_grab.y = 0;
  XPicthBt_MouseMove(Index, ui::LeftButton, 0, 0, 5);
}

}  // namespace audio
