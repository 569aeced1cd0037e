#include "Transport.h"

#include <algorithm>
#include <cmath>

namespace audio {

namespace {
constexpr float kTitleStep = 10.0f;
}

Transport::Transport(AudioEngine& engine, DeckTable& decks, DeckEngine& deckEngine,
                     std::array<DeckPanel*, 2> panels, ui::Label& clock)
    : m_engine(engine),
      m_decks(decks),
      m_deckEngine(deckEngine),
      m_panels(panels),
      m_clock(clock) {}

void Transport::BTPlay_Click(int Index) {
  m_deckEngine.PlayDeck(Index);
}
void Transport::BTPause_Click(int Index) {
  m_deckEngine.TogglePause(Index);
}
void Transport::BTStop_Click(int Index) {
  const int deck = Index;  // the operation gets its own copy of the index
  m_deckEngine.StopDeck(deck);
}

float Transport::travel(int deck) const {
  return m_deckEngine.positionKnob(deck).travel();
}

void Transport::PosBT_MouseDown(int Index, int, int, float X, float) {
  m_posGrabX = X;
  m_decks[std::size_t(Index)].PositionHeld = true;
}

void Transport::PosBT_MouseMove(int Index, int Button, int, float X, float) {
  if (Button == ui::LeftButton) m_deckEngine.positionKnob(Index).moveBy(X - m_posGrabX);
}

void Transport::PosBT_MouseUp(int Index, int, int, float, float) {
  DeckState& d = m_decks[std::size_t(Index)];
  const float span = travel(Index);
  const double ms = span > 0 ? double(d.LengthMs) * d.PositionLeft / span : 0.0;
  d.PositionMs = std::int32_t(std::nearbyint(ms));  // halves go to the even millisecond
  m_engine.System.setChannelPositionMs(d.Channel, std::uint32_t(std::max(d.PositionMs, 0)));
  d.PositionHeld = false;
}

void Transport::PosBT_Step(int Index, int Steps) {
  DeckState& d = m_decks[std::size_t(Index)];
  if (d.LengthMs <= 0 || d.PositionHeld) return;
  const std::int64_t to = std::int64_t(d.PositionMs) + std::int64_t(Steps) * kSeekStep;
  d.PositionMs = std::int32_t(std::clamp<std::int64_t>(to, 0, d.LengthMs));
  m_engine.System.setChannelPositionMs(d.Channel, std::uint32_t(d.PositionMs));
  const double span = travel(Index);
  m_deckEngine.positionKnob(Index).placeAt(
      float(std::clamp(double(d.PositionMs) / double(d.LengthMs) * span, 0.0, span)));
}

QString Transport::FormatTime(std::int64_t ms) {
  const std::int64_t seconds = std::max<std::int64_t>(ms, 0) / 1000;
  return QStringLiteral("%1:%2")
      .arg(seconds / 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void Transport::MTimer_Timer() {
  for (int i : {DeckA, DeckB}) {
    DeckState& d = m_decks[std::size_t(i)];
    if (!d.Playing) continue;
    std::uint32_t ms = 0;
    if (m_engine.System.channelPositionMs(d.Channel, ms) == sound::Result::Ok)
      d.PositionMs = std::int32_t(std::min<std::uint32_t>(ms, 0x7FFFFFFF));
  }
  for (int i : {DeckA, DeckB}) {
    DeckState& d = m_decks[std::size_t(i)];
    if (d.PositionHeld || d.LengthMs <= 0) continue;
    const double span = travel(i);
    // A length that undercounts the file must not push the knob off its track.
    m_deckEngine.positionKnob(i).placeAt(
        float(std::clamp(double(d.PositionMs) / double(d.LengthMs) * span, 0.0, span)));
    m_panels[std::size_t(i)]->SLPosLeft->setWidth(d.PositionLeft);
  }
  MovTitles();
  for (int i : {DeckA, DeckB}) {
    const QTime t = now();
    m_clock.setCaption(QStringLiteral("%1:%2:%3")
                           .arg(t.hour())
                           .arg(t.minute(), 2, 10, QLatin1Char('0'))
                           .arg(t.second()));
    const DeckState& d = m_decks[std::size_t(i)];
    m_panels[std::size_t(i)]->ETQ_TIME->setCaption(FormatTime(d.PositionMs));
    m_panels[std::size_t(i)]->ETQ_DUR->setCaption(FormatTime(d.LengthMs));
  }
}

void Transport::MovTitles() {
  for (int i : {DeckA, DeckB}) {
    ui::Label& title = *m_panels[std::size_t(i)]->ETQ_TITULO;
    ui::PictureBox& panel = *m_panels[std::size_t(i)]->BACKPICPAN;
    const float tw = title.Width(), tl = title.Left(), pw = panel.Width();
    if (tw <= pw) {
      title.setLeft(pw / 2 - tw / 2);
    } else if (m_titleMovingRight[std::size_t(i)]) {
      if (tl >= 0)
        m_titleMovingRight[std::size_t(i)] = false;  // turns; no move on this tick
      else
        title.setLeft(tl + kTitleStep);
    } else {
      if (tl + tw <= pw)
        m_titleMovingRight[std::size_t(i)] = true;
      else
        title.setLeft(tl - kTitleStep);
    }
  }
}

}  // namespace audio
