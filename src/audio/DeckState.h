#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

#include "platform/sound/SoundSystem.h"

namespace audio {

// Everything the program keeps about one deck: what it plays and how (the fields every deck
// operation reads and writes), and where its knobs sit. The knob places are in twips from
// the start of their tracks, the unit the level, pitch and position arithmetic works in; the
// deck's controls show them.
struct DeckState {
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
  // Where it is heard: the master mix (the room) and the cue bus (the headphones).
  bool ToMaster = true;
  bool ToCue = false;
  bool KeyLock = false;  // the pitch knob changes the tempo alone (the two decks only)

  float VolumeTop = 0.0f;     // 0: the knob at the top, full level
  float PitchTop = 0.0f;      // 0: the knob at the top, twice the track's own speed
  float PositionLeft = 0.0f;  // follows the play position unless held
  bool PositionHeld = false;  // the user holds the position knob
};

// Slot 0 is DeckA, 1 DeckB, 2 the pre-listening player, 3 never used.
using DeckTable = std::array<DeckState, 4>;

inline constexpr int DeckA = 0;
inline constexpr int DeckB = 1;
inline constexpr int PreviewSlot = 2;

// Where a knob goes when dragged to `n` (its new top or left edge): `n` itself inside its
// track; pinned to the end it passed; and, when its end is exactly reached, that end.
inline float knobPlace(float n, float knobSize, float trackSize) {
  if (n < 0) n = 0;
  if (n + knobSize > trackSize) n = trackSize - knobSize;
  return n;
}

// A volume knob's level: 1 at the top of its track, 0 at the bottom, linear between; a knob
// with no travel stays at full level.
inline float knobLevel(float top, float travel) {
  return travel > 0 ? 1.0f - top / travel : 1.0f;
}

}  // namespace audio
