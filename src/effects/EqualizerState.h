#pragma once

#include <array>

namespace effects {

// One equaliser band: where its thumb sits and the level that follows from it.
struct EqBand {
  float top = 0.0f;  // the thumb's Top in twips, 0 at the top of its track
  int level = 10;    // 0 (thumb at the top, gain 2.0) to 20 (at the bottom, gain 0.0)
};

// The equaliser as the user set it. The sliders show it; the sound system's units are
// told whenever a band changes.
struct EqualizerState {
  static constexpr int kBands = 15;
  std::array<EqBand, kBands> bands{};
  bool enabled = true;      // "EQ ON/OFF": cleared, the music passes unequalised
  float dragStartY = 0.0f;  // where the last press on any thumb was, in the thumb's twips
};

// The level of a thumb at `top` on a track that lets it travel `travel` twips: 0 at the
// top, 20 at the bottom, to the nearest step (halves to even). A track too short to move
// on is level 10, so a skin whose thumb fills the track leaves the music flat.
int levelAt(float top, float travel);
// The linear gain of a level: 2.0 at level 0, 1.0 at level 10, 0.0 at level 20.
float gainOf(int level);

}  // namespace effects
