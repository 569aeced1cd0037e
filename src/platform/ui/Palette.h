#pragma once

#include <QColor>

namespace ui {

// The player's colours, in one place: the laid-out look of the window, the stock widgets'
// theme and the skins drawn at build time all take them from here.
struct Palette {
  QColor window, panel, base, alternateBase, track, trackEdge, edge;
  QColor knob, knobPressed, text, dim, disabled;
  QColor button, buttonPressed, buttonEdge, danger;
  QColor accent[2];                        // DeckA, DeckB
  QColor insertBar, hoverBar, currentBar;  // the playlist's marker bars
};

// The dark mixer the window is laid out in; the Default skin.
inline const Palette& darkPalette() {
  static const Palette p{QColor(18, 20, 24),
                         QColor(30, 33, 39),
                         QColor(16, 18, 22),
                         QColor(24, 27, 32),
                         QColor(12, 13, 16),
                         QColor(58, 62, 72),
                         QColor(48, 52, 60),
                         QColor(200, 204, 212),
                         QColor(255, 255, 255),
                         QColor(222, 226, 232),
                         QColor(130, 136, 146),
                         QColor(110, 114, 122),
                         QColor(44, 48, 56),
                         QColor(26, 28, 33),
                         QColor(70, 76, 88),
                         QColor(120, 36, 36),
                         {QColor(255, 140, 26), QColor(39, 196, 232)},
                         QColor(230, 110, 110),
                         QColor(120, 210, 120),
                         QColor(90, 94, 102)};
  return p;
}

// The Light skin.
inline const Palette& lightPalette() {
  static const Palette p{QColor(236, 238, 242),
                         QColor(226, 229, 234),
                         QColor(250, 251, 252),
                         QColor(240, 242, 245),
                         QColor(196, 201, 209),
                         QColor(150, 156, 166),
                         QColor(170, 176, 186),
                         QColor(70, 76, 88),
                         QColor(20, 22, 26),
                         QColor(30, 33, 39),
                         QColor(100, 106, 116),
                         QColor(150, 154, 162),
                         QColor(244, 246, 248),
                         QColor(206, 210, 216),
                         QColor(150, 156, 166),
                         QColor(200, 60, 60),
                         {QColor(214, 96, 0), QColor(0, 128, 170)},
                         QColor(230, 110, 110),
                         QColor(120, 210, 120),
                         QColor(150, 156, 166)};
  return p;
}

}  // namespace ui
