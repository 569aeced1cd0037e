#include "Transport.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Val.h"

namespace audio {

namespace {
constexpr float kTitleStep = 10.0f;
}

Transport::Transport(AudioEngine& engine, DeckTable& decks, DeckEngine& deckEngine,
                     DeckControls& controls, ui::Label& clock)
    : m_engine(engine),
      m_decks(decks),
      m_deckEngine(deckEngine),
      m_controls(controls),
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
  const auto d = std::size_t(deck);
  return m_controls.SLPos[d]->Width() - m_controls.PosBT[d]->Width();
}

void Transport::PosBT_MouseDown(int Index, int, int, float X, float) {
  m_posGrabX = X;
  m_posDragging[std::size_t(Index)] = true;
}

void Transport::PosBT_MouseMove(int Index, int Button, int, float X, float) {
  if (Button != ui::LeftButton) return;
  ui::PictureBox& knob = *m_controls.PosBT[std::size_t(Index)];
  const float track = m_controls.SLPos[std::size_t(Index)]->Width();
  const float n = knob.Left() + X - m_posGrabX;
  if (n > 0 && n + knob.Width() < track) {
    knob.setLeft(n);
  } else {
    if (n < 0) knob.setLeft(0);
    if (n + knob.Width() >= track) knob.setLeft(track - knob.Width());
  }
}

void Transport::PosBT_MouseUp(int Index, int, int, float, float) {
  Deck& d = m_decks[std::size_t(Index)];
  const float span = travel(Index);
  const double ms =
      span > 0 ? double(d.LengthMs) * m_controls.PosBT[std::size_t(Index)]->Left() / span : 0.0;
  d.PositionMs = std::int32_t(std::nearbyint(ms));  // halves go to the even millisecond
  m_engine.System.setChannelPositionMs(d.Channel, std::uint32_t(std::max(d.PositionMs, 0)));
  m_posDragging[std::size_t(Index)] = false;
}

QString Transport::FormatTime(std::int64_t ms) {
  const std::int64_t seconds = std::max<std::int64_t>(ms, 0) / 1000;
  return QStringLiteral("%1:%2")
      .arg(seconds / 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void Transport::MTimer_Timer() {
  for (int i : {DeckA, DeckB}) {
    Deck& d = m_decks[std::size_t(i)];
    if (!d.Playing) continue;
    std::uint32_t ms = 0;
    if (m_engine.System.channelPositionMs(d.Channel, ms) == sound::Result::Ok)
      d.PositionMs = std::int32_t(std::min<std::uint32_t>(ms, 0x7FFFFFFF));
  }
  for (int i : {DeckA, DeckB}) {
    const Deck& d = m_decks[std::size_t(i)];
    if (m_posDragging[std::size_t(i)] || d.LengthMs <= 0) continue;
    const double span = travel(i);
    // A length that undercounts the file must not push the knob off its track.
    const double left = std::clamp(double(d.PositionMs) / double(d.LengthMs) * span, 0.0, span);
    m_controls.PosBT[std::size_t(i)]->setLeft(float(left));
    m_controls.SLPosLeft[std::size_t(i)]->setWidth(float(left));
  }
  MovTitles();
  for (int i : {DeckA, DeckB}) {
    const QTime t = now();
    m_clock.setCaption(QStringLiteral("%1:%2:%3")
                           .arg(t.hour())
                           .arg(t.minute(), 2, 10, QLatin1Char('0'))
                           .arg(t.second()));
    const Deck& d = m_decks[std::size_t(i)];
    m_controls.ETQ_TIME[std::size_t(i)]->setCaption(FormatTime(d.PositionMs));
    m_controls.ETQ_DUR[std::size_t(i)]->setCaption(FormatTime(d.LengthMs));
  }
  if (drawSpectra) drawSpectra();
}

void Transport::MovTitles() {
  for (int i : {DeckA, DeckB}) {
    ui::Label& title = *m_controls.ETQ_TITULO[std::size_t(i)];
    ui::PictureBox& panel = *m_controls.BACKPICPAN[std::size_t(i)];
    const float tw = title.Width(), tl = title.Left(), pw = panel.Width();
    if (tw <= pw) {
      title.setLeft(pw / 2 - tw / 2);
    } else if (ui::Val(panel.Tag()) == 1.0) {
      if (tl >= 0)
        panel.setTag(QStringLiteral("0"));
      else
        title.setLeft(tl + kTitleStep);
    } else {
      if (tl + tw <= pw)
        panel.setTag(QStringLiteral("1"));
      else
        title.setLeft(tl - kTitleStep);
    }
  }
}

}  // namespace audio
