#pragma once

#include <QString>
#include <QTime>
#include <array>
#include <functional>

#include "DeckControls.h"
#include "DeckEngine.h"

namespace audio {

// The transport buttons, the position bars and the 100 ms tick that follows both decks:
// position poll, knobs, title scroll, clock and time labels.
class Transport {
 public:
  Transport(AudioEngine& engine, DeckTable& decks, DeckEngine& deckEngine, DeckControls& controls,
            ui::Label& clock);

  void BTPlay_Click(int Index);
  void BTPause_Click(int Index);
  void BTStop_Click(int Index);
  void PosBT_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void PosBT_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void PosBT_MouseUp(int Index, int Button, int Shift, float X, float Y);
  void MTimer_Timer();
  void MovTitles();

  // "M:ss" as the time labels show it: minutes at least two digits, never wrapping.
  static QString FormatTime(std::int64_t ms);

  bool PosDragging(int deck) const { return m_posDragging[std::size_t(deck)]; }
  std::function<QTime()> now = [] { return QTime::currentTime(); };
  // The spectrum step of the tick; the spectrum display fills it in.
  std::function<void()> drawSpectra;

 private:
  float travel(int deck) const;

  AudioEngine& m_engine;
  DeckTable& m_decks;
  DeckEngine& m_deckEngine;
  DeckControls& m_controls;
  ui::Label& m_clock;
  float m_posGrabX = 0;
  std::array<bool, 3> m_posDragging{};
};

}  // namespace audio
