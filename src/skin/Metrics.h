#pragma once

// The sizes, in twips (15 per pixel), that the window is laid out for and that the skins
// are drawn to. A skin that brings other sizes changes the controls, not these numbers.
// Sizes of knobs and tracks are whole pixels, so a knob never travels a fraction of a pixel.
namespace skin {

constexpr float px(float pixels) {
  return pixels * 15.0f;
}

// A deck: title strip, spectrum, position bar, transport.
constexpr float kTitleWidth = px(290), kTitleHeight = px(22);
constexpr float kSpectWidth = px(360), kSpectHeight = px(90);
constexpr float kPosWidth = px(360), kPosHeight = px(14), kPosKnobWidth = px(14);
constexpr float kButtonWidth = px(56), kButtonHeight = px(30);
constexpr float kPlayLeftHeight = px(6);  // the played part of the position bar

// Volume: a 166-pixel track and a 16-pixel knob travel 150 whole pixels.
constexpr float kVolTrackWidth = px(24), kVolTrackHeight = px(166), kVolKnobHeight = px(16);
// Pitch: 1005 twips of travel, so the centred knob reads "PITCH 0.0".
constexpr float kPitchTrackWidth = px(24), kPitchTrackHeight = px(83), kPitchKnobHeight = px(16);
constexpr float kStepSize = px(18);

constexpr float kMasterWidth = px(240), kMasterHeight = px(16), kMasterKnobWidth = px(20);

constexpr float kTabWidth = px(88), kTabHeight = px(24);
constexpr float kSkinButton = px(24);  // the file browser's picture buttons
constexpr float kBaseImg = px(24);
constexpr float kPanelWidth = px(552), kPanelHeight = px(326);

// The equaliser: 15 tracks, each with its thumb and its lowest-level button.
constexpr float kEqTrackWidth = px(16), kEqTrackHeight = px(120), kEqThumbHeight = px(10);
constexpr float kEqDownHeight = px(12);

}  // namespace skin
