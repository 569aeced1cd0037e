#include "EqualizerState.h"

#include <algorithm>
#include <cmath>

namespace effects {

int levelAt(float top, float travel) {
  if (!(travel > 0.0f) || !std::isfinite(top)) return 10;
  // nearbyint rounds in the current mode, to the nearest with halves to even.
  const double level = std::nearbyint(double(top) / double(travel) * 20.0);
  return int(std::clamp(level, 0.0, 20.0));
}

float gainOf(int level) {
  return float(2.0 - double(level) / 10.0);
}

}  // namespace effects
