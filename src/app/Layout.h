#pragma once

#include <QColor>

// Where the laid-out controls of the main window sit, in twips (15 per pixel). The skin
// sizes of knobs and tracks are kept here too, so a skin that brings other sizes replaces
// them in one place. Sizes of knobs and tracks are whole pixels, so a knob never travels
// a fraction of a pixel.
namespace layout {

constexpr float px(float pixels) {
  return pixels * 15.0f;
}

constexpr float kFormWidth = px(960), kFormHeight = px(680);
constexpr float kDeckLeft[2] = {px(8), px(516)};
constexpr float kDeckTop = px(34);
constexpr float kDeckWidth = px(436), kDeckHeight = px(252);

// Offsets inside a deck.
constexpr float kTitleLeft = px(70), kTitleWidth = px(290), kTitleHeight = px(22);
constexpr float kSpectTop = px(64), kSpectWidth = px(360), kSpectHeight = px(90);
constexpr float kPosTop = px(162), kPosWidth = px(360), kPosHeight = px(14);
constexpr float kPosKnobWidth = px(14);
constexpr float kTransportTop = px(186), kButtonWidth = px(56), kButtonHeight = px(30);

// Volume: a 166-pixel track and a 16-pixel knob travel 150 whole pixels.
constexpr float kVolLeft = px(374), kVolTop = px(28);
constexpr float kVolTrackWidth = px(24), kVolTrackHeight = px(166), kVolKnobHeight = px(16);
// Pitch: 1005 twips of travel, so the centred knob reads "PITCH 0.0".
constexpr float kPitchLeft = px(408), kPitchTop = px(28);
constexpr float kPitchTrackWidth = px(24), kPitchTrackHeight = px(83), kPitchKnobHeight = px(16);
constexpr float kStepSize = px(18);

constexpr float kMasterLeft = px(360), kMasterTop = px(292);
constexpr float kMasterWidth = px(240), kMasterHeight = px(16), kMasterKnobWidth = px(20);

constexpr float kTabsTop = px(318), kTabWidth = px(88), kTabHeight = px(24), kTabGap = px(4);
constexpr float kSkinButton = px(24);  // the file browser's picture buttons
constexpr float kBaseImg = px(24);
constexpr float kPlayLeftHeight = px(6);  // the played part of the position bar
constexpr float kPanelLeft = px(8), kPanelTop = px(346), kPanelWidth = px(552),
                kPanelHeight = px(326);
constexpr float kPlaylistLeft = px(568), kPlaylistTop = px(318), kPlaylistWidth = px(384),
                kPlaylistHeight = px(354);

// The playlist: a gutter for the "Play >" and ">" markers left of the list.
constexpr float kListGutter = px(54), kListTop = px(28), kListRow = px(14);

inline const QColor kWindow{18, 20, 24};
inline const QColor kPanel{30, 33, 39};
inline const QColor kTrack{12, 13, 16};
inline const QColor kKnob{200, 204, 212};
inline const QColor kText{222, 226, 232};
inline const QColor kDim{130, 136, 146};
inline const QColor kAccent[2] = {QColor(255, 140, 26), QColor(39, 196, 232)};

}  // namespace layout
