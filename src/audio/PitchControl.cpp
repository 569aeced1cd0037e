#include "PitchControl.h"

#include "KnobDrag.h"

namespace audio {

namespace {
// The figure reads 0.0 this many units above the bottom of the knob's travel.
constexpr float kFigureZero = 503.0f;
}  // namespace

PitchControl::PitchControl(AudioEngine& engine, DeckTable& decks, DeckControls& controls,
                           float& knobGrabY, bool& windowDrag)
    : m_engine(engine),
      m_decks(decks),
      m_controls(controls),
      m_knobGrabY(knobGrabY),
      m_windowDrag(windowDrag) {}

double PitchControl::Factor(int deck) const {
  const ui::PictureBox& knob = *m_controls.XPicthBt[std::size_t(deck)];
  const double h = knob.Height(), H = m_controls.XPitch[std::size_t(deck)]->Height();
  return 2.0 * (1.0 - double(knob.Top()) / (H + 1.0 - h));
}

void PitchControl::SetFreq(int deck) {
  Deck& d = m_decks[std::size_t(deck)];
  // Only the two decks have a pitch knob; the pre-listening player keeps its own speed.
  const double factor = deck == DeckA || deck == DeckB ? Factor(deck) : 1.0;
  d.Frequency = float(factor * d.BaseFrequency);
  m_engine.System.setChannelFrequency(d.Channel, d.Frequency);
}

QString PitchControl::FormatFigure(double value) {
  QString text = QString::number(value, 'f', 1);
  // A figure that rounds to zero from below reads "0.0", never "-0.0".
  if (text == QLatin1String("-0.0")) text = QStringLiteral("0.0");
  return text;
}

void PitchControl::ShowP(int deck) {
  const ui::PictureBox& knob = *m_controls.XPicthBt[std::size_t(deck)];
  const float travel = m_controls.XPitch[std::size_t(deck)]->Height() - knob.Height();
  const double figure = (double(travel) - knob.Top() - kFigureZero) / 100.0;
  m_controls.ETQPICTH[std::size_t(deck)]->setCaption(
      QStringLiteral("PITCH ") + FormatFigure(figure) + QStringLiteral(" VOL ") +
      FormatFigure(m_decks[std::size_t(deck)].Volume));
}

void PitchControl::ResetC() {
  for (auto d : {std::size_t(DeckA), std::size_t(DeckB)})
    m_controls.XPicthBt[d]->setTop(m_controls.XPitch[d]->Height() / 2 -
                                   m_controls.XPicthBt[d]->Height() / 2);
  for (auto d : {std::size_t(DeckA), std::size_t(DeckB)}) m_controls.XVolBT[d]->setTop(0);
  for (auto d : {std::size_t(DeckA), std::size_t(DeckB)}) m_controls.SLPosLeft[d]->setLeft(1);
  for (auto d : {std::size_t(DeckA), std::size_t(DeckB)}) m_controls.XPicthBt[d]->setLeft(1);
  for (auto d : {std::size_t(DeckA), std::size_t(DeckB)}) m_controls.PosBT[d]->setLeft(0);
  ShowP(DeckA);
  ShowP(DeckB);
}

void PitchControl::XPicthBt_MouseDown(int, int, int, float, float Y) {
  m_knobGrabY = Y;
}

void PitchControl::XPicthBt_MouseMove(int Index, int Button, int, float, float Y) {
  if (Button != ui::LeftButton) return;
  dragKnobY(*m_controls.XPicthBt[std::size_t(Index)],
            m_controls.XPitch[std::size_t(Index)]->Height(), m_knobGrabY, Y);
  ShowP(Index);
  SetFreq(Index);
}

void PitchControl::XPicthBt_MouseUp(int, int, int, float, float) {
  m_windowDrag = false;
}

void PitchControl::centre(int deck) {
  ui::PictureBox& knob = *m_controls.XPicthBt[std::size_t(deck)];
  knob.setTop((m_controls.XPitch[std::size_t(deck)]->Height() - knob.Height()) / 2);
  SetFreq(deck);
  ShowP(deck);
}

void PitchControl::XPicthBt_DblClick(int Index) {
  centre(Index);
}
void PitchControl::cmdPicthRe_Click(int Index) {
  centre(Index);
}

void PitchControl::BTPICTHUP_Click(int Index) {
  m_knobGrabY = 0;
  XPicthBt_MouseMove(Index, ui::LeftButton, 0, 0, -5);
}

void PitchControl::BTPICTHDW_Click(int Index) {
  m_knobGrabY = 0;
  XPicthBt_MouseMove(Index, ui::LeftButton, 0, 0, 5);
}

}  // namespace audio
