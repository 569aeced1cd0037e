#include "VolumeControl.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Palette.h"

namespace audio {

VolumeControl::VolumeControl(AudioEngine& engine, DeckEngine& deckEngine, DeckTable& decks,
                             std::array<DeckPanel*, 2> panels, Master master, ui::Timer& changeVol,
                             KnobGrab& grab, ui::WindowDrag& windowDrag,
                             ui::PictureSource& pictures)
    : m_engine(engine),
      m_deckEngine(deckEngine),
      m_decks(decks),
      m_panels(panels),
      m_master(master),
      m_changeVol(changeVol),
      m_grab(grab),
      m_windowDrag(windowDrag),
      m_pictures(pictures),
      m_masterPlace(master.knob->Left()),
      m_masterKnob(*master.knob, *master.track, Knob::Axis::Horizontal, m_masterPlace) {}

void VolumeControl::showKnob(int deck, bool pressed) {
  ui::PictureBox& knob = *m_panels[std::size_t(deck)]->XVolBT;
  const QString file = QStringLiteral("\\BTVolBack%1%2.bmp").arg(deck).arg(pressed ? "UP" : "");
  const QPixmap pic = m_pictures.picture(file);
  if (!pic.isNull())
    knob.setPicture(pic);
  else
    knob.setBackColor(pressed ? ui::darkPalette().knobPressed : ui::darkPalette().knob);
}

void VolumeControl::XVolBT_MouseDown(int Index, int, int, float, float Y) {
  m_grab.y = Y;
  showKnob(Index, true);
}

void VolumeControl::XVolBT_MouseMove(int Index, int Button, int, float, float Y) {
  if (Button == 0) {
    showKnob(Index, false);
    return;
  }
  if (Button != ui::LeftButton) return;
  m_deckEngine.SetVolumeKnob(Index, m_deckEngine.volumeKnob(Index).place() + Y - m_grab.y);
}

void VolumeControl::XVolBT_MouseUp(int Index, int, int, float, float) {
  showKnob(Index, false);
  m_windowDrag.active = false;
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
  // Each tick moves the knob 50 twips, less the shared grab offset that a held step button
  // leaves at one twip: 51 up, 49 down.
  m_grab.y = 1.0f;
  const int deck = m_volStepAction < 2 ? DeckA : DeckB;
  const float by = m_volStepAction % 2 == 0 ? -kVolumeStep : kVolumeStep;
  m_deckEngine.SetVolumeKnob(deck, m_deckEngine.volumeKnob(deck).place() + by - m_grab.y);
}

void VolumeControl::XVolBT_Step(int Index, int Steps) {
  m_deckEngine.SetVolumeKnob(Index,
                             m_deckEngine.volumeKnob(Index).place() - float(Steps) * kVolumeStep);
}

void VolumeControl::XVolBT_Set(int Index, double fraction) {
  const double travel = m_deckEngine.volumeKnob(Index).travel();
  m_deckEngine.SetVolumeKnob(Index, float((1.0 - std::clamp(fraction, 0.0, 1.0)) * travel));
}

void VolumeControl::MASTSL_Step(int Steps) {
  SetMasterLevel(m_engine.MasterLevel + 0.1f * float(Steps));
}

void VolumeControl::MASTSL_MouseDown(int, int, float X, float) {
  m_mastGrabX = X;
}

void VolumeControl::MASTSL_MouseMove(int Button, int, float X, float) {
  if (Button == ui::LeftButton) m_masterKnob.moveBy(X - m_mastGrabX);
  applyMasterLevel();
}

void VolumeControl::applyMasterLevel() {
  const double tenths =
      m_masterKnob.travel() > 0 ? std::floor(m_masterKnob.fraction() * 10.0) : 10.0;
  m_engine.MasterLevel = float(tenths / 10.0);
  m_deckEngine.ApplyDeckVolume(DeckA);
  m_deckEngine.ApplyDeckVolume(DeckB);
  m_deckEngine.ShowP(DeckA);
  m_deckEngine.ShowP(DeckB);
}

void VolumeControl::SetMasterLevel(float level) {
  if (!std::isfinite(level)) return;
  const double span = m_masterKnob.travel();
  if (span <= 0) return;
  const double wanted = std::clamp(double(level), 0.0, 1.0);
  // The knob's place for a level is a fraction of the track, which floats cannot hold
  // exactly: a hair to the right keeps 0.3 from reading as 0.2.
  const double tenths = std::floor(wanted * 10.0 + 1e-6);
  const double left = std::max(wanted * span, tenths / 10.0 * span + 0.01);
  m_masterKnob.placeAt(float(std::min(left, span)));
  applyMasterLevel();
}

}  // namespace audio
