#pragma once

#include <QString>

namespace ui {

// The leading number of a text, as the program reads numbers kept in captions and tags:
// blanks skipped, an optional sign, digits and one decimal point; 0 when there is none, and
// the largest finite value (with its sign) for one too large to hold.
double Val(const QString& text);

}  // namespace ui
