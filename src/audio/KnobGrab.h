#pragma once

namespace audio {

// Where the pointer held the last volume or pitch knob pressed: one offset shared by the
// four knobs, so that a step button (which sets it) and a drag (which reads it) of any knob
// meet here.
struct KnobGrab {
  float y = 0;
};

}  // namespace audio
