#pragma once

#include <QString>
#include <functional>

namespace ui {

class Control;

// How a control presents itself to screen readers and scripts (AT-SPI, through Qt's
// accessibility): its name is the one it is entered under ("BTPlay(0)", see Builder); this
// adds what it is, what it does, and for a knob its value.
enum class AccessibleRole { Button, Slider, Toggle, Text };

// `value` is a knob's value from 0 to 100, read whenever it is asked for.
void describe(Control& control, AccessibleRole role, const QString& description,
              std::function<double()> value = {});

// Makes the described controls known to Qt's accessibility; the first describe() does it.
void installAccessibility();

}  // namespace ui
