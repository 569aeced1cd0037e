#include "Val.h"

#include <cmath>
#include <limits>

namespace ui {

double Val(const QString& text) {
  int i = 0;
  const int n = int(text.size());
  while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
  const int start = i;
  if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
  bool digits = false, point = false;
  for (; i < n; ++i) {
    if (text[i].isDigit() && text[i].unicode() < 128) {
      digits = true;
    } else if (text[i] == QLatin1Char('.') && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return 0.0;
  // Hundreds of digits would read as infinity, which no position or index can be.
  const double v = text.mid(start, i - start).toDouble();
  return std::isfinite(v) ? v : std::copysign(std::numeric_limits<double>::max(), v);
}

}  // namespace ui
