#include "VolumeControl.h"

#include <cmath>

#include "KnobDrag.h"

#include "PitchControl.h"

namespace audio {

namespace {
const QColor kKnobNormal(200, 204, 212), kKnobPressed(255, 255, 255);
}

VolumeControl::VolumeControl(AudioEngine& engine, DeckEngine& deckEngine, DeckControls& controls,
                             PitchControl& pitch, ui::PictureBox& masterTrack,
                             ui::PictureBox& masterKnob, ui::Timer& changeVol, float& knobGrabY,
                             bool& windowDrag)
    : m_engine(engine),
      m_deckEngine(deckEngine),
      m_controls(controls),
      m_pitch(pitch),
      m_masterTrack(masterTrack),
      m_masterKnob(masterKnob),
      m_changeVol(changeVol),
      m_knobGrabY(knobGrabY),
      m_windowDrag(windowDrag) {}

void VolumeControl::showKnob(int deck, bool pressed) {
  ui::PictureBox& knob = *m_controls.XVolBT[std::size_t(deck)];
  const QString file = QStringLiteral("\\BTVolBack%1%2.bmp").arg(deck).arg(pressed ? "UP" : "");
  const QPixmap pic = skinPicture ? skinPicture(file) : QPixmap();
  if (!pic.isNull())
    knob.setPicture(pic);
  else
    knob.setBackColor(pressed ? kKnobPressed : kKnobNormal);
}

void VolumeControl::XVolBT_MouseDown(int Index, int, int, float, float Y) {
  m_knobGrabY = Y;
  showKnob(Index, true);
}

void VolumeControl::XVolBT_MouseMove(int Index, int Button, int, float, float Y) {
  if (Button == 0) {
    showKnob(Index, false);
    return;
  }
  if (Button != ui::LeftButton) return;
  dragKnobY(*m_controls.XVolBT[std::size_t(Index)], m_controls.XVolSL[std::size_t(Index)]->Height(),
            m_knobGrabY, Y);
  m_deckEngine.ApplyDeckVolume(Index);
  m_pitch.ShowP(Index);
}

void VolumeControl::XVolBT_MouseUp(int Index, int, int, float, float) {
  showKnob(Index, false);
  m_windowDrag = false;
}

void VolumeControl::BTVOLUP_MouseDown(int Index, int, int, float, float) {
  m_volStepAction = Index == DeckA ? 0 : 2;
  m_changeVol.setEnabled(true);
}

void VolumeControl::BTVOLD_MouseDown(int Index, int, int, float, float) {
  m_volStepAction = Index == DeckA ? 1 : 3;
  m_changeVol.setEnabled(true);
}

void VolumeControl::BTVOL_MouseUp(int, int, int, float, float) {
  m_changeVol.setEnabled(false);
}

void VolumeControl::ChangeVol_Timer() {
  m_knobGrabY = 1.0f;
  const int deck = m_volStepAction < 2 ? DeckA : DeckB;
  const bool raise = m_volStepAction % 2 == 0;
  XVolBT_MouseMove(deck, ui::LeftButton, 0, 0, raise ? -50.0f : 50.0f);
}

void VolumeControl::MASTSL_MouseDown(int, int, float X, float) {
  m_mastGrabX = X;
}

void VolumeControl::MASTSL_MouseMove(int Button, int, float X, float) {
  const float inner = m_masterTrack.ScaleWidth(), w = m_masterKnob.Width();
  if (Button == ui::LeftButton) {
    const float n = m_masterKnob.Left() + X - m_mastGrabX;
    if (n > 0 && n + w < inner) {
      m_masterKnob.setLeft(n);
    } else {
      if (n < 0) m_masterKnob.setLeft(0);
      if (n + w >= inner) m_masterKnob.setLeft(inner - w);
    }
  }
  const double span = inner - w;
  const double tenths = span > 0 ? std::floor(double(m_masterKnob.Left()) / span * 10.0) : 10.0;
  m_engine.MasterLevel = float(tenths / 10.0);
  m_deckEngine.ApplyDeckVolume(DeckA);
  m_deckEngine.ApplyDeckVolume(DeckB);
  m_pitch.ShowP(DeckA);
  m_pitch.ShowP(DeckB);
}

void VolumeControl::MoveKnobTo(int deck, float top) {
  m_controls.XVolBT[std::size_t(deck)]->setTop(top);
  m_knobGrabY = 0;
  XVolBT_MouseMove(deck, ui::LeftButton, ui::ShiftMask, 0, 0);
}

}  // namespace audio
