#pragma once

#include <array>

#include "platform/sound/SoundSystem.h"

namespace audio {

// The one sound engine of the run: the sound system, sixteen equaliser units, the chorus
// unit and the master level. Created before any window and passed by reference.
struct AudioEngine {
  static constexpr int kChannels = 3;  // two decks and the pre-listening player

  sound::SoundSystem System;
  std::array<sound::Handle, 17> EqUnits{};  // slots 0..15 filled, 16 stays 0
  sound::Handle ChorusUnit = 0;
  float MasterLevel = 1.0f;

  // Creates the system and its units. A failure leaves the handles at 0 and the program
  // runs without sound.
  void create(sound::Output output);
  // Closes the system; every stream and unit goes with it.
  void close();
};

}  // namespace audio
