#pragma once

namespace sound {

// The last stage of the master mix, after the effect chain: nothing it writes is ever
// beyond full scale, whatever comes in (two loud decks, a boosted equaliser, a damaged
// frame), and music that stays below -1 dBFS passes through it bit for bit.
//
// A peak follower drives a soft-knee gain computer. The follower is the largest sample of
// the last one to two hold windows (two windows taking turns: a sliding maximum for the
// cost of a counter), with instant attack and an exponential release once that maximum
// falls. Below the threshold the gain is exactly 1 and no arithmetic is
// done. Above it, a level e comes out at
//     T + (1 - T) * u / (1 + u),   u = (e - T) / (1 - T),
// which leaves the threshold with slope 1 (no corner to hear) and only approaches full
// scale, however large e gets. Because the attack is instant, the follower is never below
// the sample in hand, so no lookahead is needed for the bound to hold; the windows keep the
// gain still over the cycles of a bass note (even though its sampled peaks differ a little
// from cycle to cycle), so a loud steady tone is turned down, not distorted. Non-finite
// samples are silenced.
class MasterLimiter {
 public:
  static constexpr float kThreshold = 0.891250938f;  // -1 dBFS
  static constexpr double kHoldMs = 25.0;            // half a cycle of 20 Hz
  static constexpr double kReleaseMs = 100.0;        // time constant of the fall

  void prepare(int sampleRate);
  // Output side only: limits `frames` interleaved stereo frames in place.
  void process(float* interleavedStereo, int frames);
  // The gain applied to the last frame (1 when idle).
  float gain() const { return m_gain; }

 private:
  bool passQuietBlock(const float* x, int frames);

  float m_envelope = 0.0f;
  float m_gain = 1.0f;
  float m_windowMax = 0.0f, m_lastWindowMax = 0.0f;
  int m_windowLeft = 1102;
  int m_holdFrames = 1102;
  float m_release = 0.99977f;
};

}  // namespace sound
