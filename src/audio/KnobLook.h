#pragma once

#include <QPixmap>
#include <array>

namespace audio {

// The pictures of the volume knobs, normal and pressed, per deck. Until a skin provides
// them the knobs keep their laid-out look and only brighten while pressed.
struct KnobLook {
  std::array<QPixmap, 2> normal;
  std::array<QPixmap, 2> pressed;
};

}  // namespace audio
