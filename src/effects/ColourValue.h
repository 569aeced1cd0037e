#pragma once

#include <QColor>
#include <cstdint>

namespace effects {

// Colours as 32-bit values that can be added up: red in the lowest byte, then green, then
// blue. A sum above white is no colour.
constexpr std::int64_t colourValue(int red, int green, int blue) {
  return std::int64_t(red) + std::int64_t(green) * 256 + std::int64_t(blue) * 65536;
}
inline std::int64_t colourValue(const QColor& c) {
  return colourValue(c.red(), c.green(), c.blue());
}
// False, leaving `colour` as it was, when `value` stands for no colour.
inline bool colourOf(std::int64_t value, QColor& colour) {
  if (value < 0 || value > 0xFFFFFF) return false;
  colour = QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
  return true;
}

}  // namespace effects
