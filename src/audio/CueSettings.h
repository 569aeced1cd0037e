#pragma once

#include <QString>
#include <array>

namespace audio {

// The headphones as the user set them. Mode 0: none, everything plays on the master as
// before; 1: split, one stereo device with the room's mix on one side and the headphones on
// the other; 2: a device of their own, the master on another (both chosen by name). The cue
// toggles are the decks' pre-fader sends; the head mix blends the master
// into the headphones (0 cue only, 100 master only); the head level is theirs alone.
struct CueSettings {
  static constexpr int kNone = 0, kSplit = 1, kDevice = 2;
  int mode = kNone;
  bool swap = false;
  int mix = 0;
  int level = 100;
  std::array<bool, 2> deck{};
  QString masterDevice, cueDevice;  // kept for a second device; empty: the default
};

}  // namespace audio
