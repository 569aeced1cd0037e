#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

#include "platform/sound/SoundSystem.h"

namespace audio {

// Slot 0 is DeckA, 1 DeckB, 2 the pre-listening player, 3 never used.
struct Deck {
  QByteArray Path;  // as the file system names it
  std::int32_t PositionMs = 0;
  std::int32_t LengthMs = 0;
  sound::Handle Channel = 0;  // the last channel started; stopping does not clear it
  sound::Handle Sound = 0;
  float Volume = 0.0f;
  float Pan = 0.0f;
  bool Playing = false;  // set by PlayDeck, cleared by StopDeck; pausing leaves it
  float Frequency = 0.0f;
  float BaseFrequency = 0.0f;
};

using DeckTable = std::array<Deck, 4>;

inline constexpr int DeckA = 0;
inline constexpr int DeckB = 1;
inline constexpr int PreviewSlot = 2;

}  // namespace audio
