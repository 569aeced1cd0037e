#pragma once

#include <vector>

#include "DspUnit.h"

namespace sound {

// Three modulated delay taps over the dry signal: tap 1 on the left, tap 2 on the right,
// tap 3 on both, each with its own phase of one slow sine. Each side's dry and wet weights
// are scaled to sum to at most 1, so the mix never peaks above the input: a full-scale
// track through the chorus stays below full scale.
//
// After a reset the delay line holds nothing of the present signal; a tap reading across
// the point where writing began would step from silence to signal, a click. So the taps
// stay out (their weight going to the dry signal) until the line reaches back past the
// longest delay, then fade in over kFillRampMs. The line is never cleared in the callback.
class Chorus final : public DspUnit {
 public:
  enum Param { DryMix = 0, Wet1, Wet2, Wet3, DelayMs, RateHz, Depth };

  Chorus();
  int parameterCount() const override { return 7; }
  float clampParameter(int index, float value) const override;
  void prepare(int sampleRate) override;
  void reset() override;
  void process(float* interleavedStereo, int frames) override;

 private:
  // This block's weights and modulation.
  struct Mix {
    float dryL, dryR, wet1, wet2, wet3L, wet3R;
    double base, depth, cosStep, sinStep, cos4, sin4;
  };
  // Mixes up to `frames` frames; while filling, stops when the taps are all in.
  template <bool Filling>
  int run(float* x, int frames, const Mix& mix, double& s, double& c);
  void runChunk(float* x, int frames, const Mix& mix, double& s, double& c);
  float tap(int channel, double delayFrames) const;
  static constexpr int kChunk = 64;  // a multiple of 4

  static constexpr int kMaxRate = 192000;
  static constexpr double kFillRampMs = 10.0;
  // A power of two above 0.2 s at the highest rate, so wrapping is a mask.
  static constexpr int kLineFrames = 65536;
  int m_rate = 44100;
  std::vector<float> m_line[2];  // allocated once, sized for the highest rate
  int m_write = 0;
  int m_filled = 0;  // frames written since the last reset, up to kLineFrames
  double m_phase = 0.0;
};

}  // namespace sound
