#pragma once

#include <QString>
#include <QTime>
#include <functional>

#include "DeckEngine.h"

namespace audio {

// The transport buttons, the position bars and the 100 ms tick that follows both decks:
// position poll, knobs, title scroll, clock and time labels.
class Transport {
 public:
  Transport(AudioEngine& engine, DeckTable& decks, DeckEngine& deckEngine,
            std::array<DeckPanel*, 2> panels, ui::Label& clock);

  void BTPlay_Click(int Index);
  void BTPause_Click(int Index);
  void BTStop_Click(int Index);
  void PosBT_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void PosBT_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void PosBT_MouseUp(int Index, int Button, int Shift, float X, float Y);
  // The position knob's keys: each step seeks `kSeekStep` ms, inside the track.
  void PosBT_Step(int Index, int Steps);
  static constexpr std::int32_t kSeekStep = 5000;
  // The tick's deck steps: positions, knobs, titles, the clock and the times.
  void MTimer_Timer();
  void MovTitles();

  // "M:ss" as the time labels show it: minutes at least two digits, never wrapping.
  static QString FormatTime(std::int64_t ms);
  std::function<QTime()> now = [] { return QTime::currentTime(); };

 private:
  float travel(int deck) const;

  AudioEngine& m_engine;
  DeckTable& m_decks;
  DeckEngine& m_deckEngine;
  std::array<DeckPanel*, 2> m_panels;
  ui::Label& m_clock;
  float m_posGrabX = 0;
  std::array<bool, 2> m_titleMovingRight{};  // a long title runs left first
};

}  // namespace audio
