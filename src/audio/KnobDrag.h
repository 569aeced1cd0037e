#pragma once

#include "platform/ui/PictureBox.h"

namespace audio {

// Moves a vertical knob by the pointer's movement since the grab and keeps it inside its
// track, the way every deck knob moves (by hand, by a step button or by code).
inline void dragKnobY(ui::PictureBox& knob, float trackHeight, float grabY, float Y) {
  const float n = knob.Top() + Y - grabY;
  if (n > 0 && n + knob.Height() <= trackHeight) {
    knob.setTop(n);
  } else {
    if (n < 0) knob.setTop(0);
    if (n + knob.Height() > trackHeight) knob.setTop(trackHeight - knob.Height());
  }
}

}  // namespace audio
