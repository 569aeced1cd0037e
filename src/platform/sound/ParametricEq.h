#pragma once

#include "DspUnit.h"

namespace sound {

// One peaking band: centre in Hz, bandwidth in octaves, linear gain at the centre.
//
// The user drags a band's thumb as fast as the mouse goes, so the band must stay quiet and
// stable while every parameter jumps. Its settings never jump: they glide (centre in
// octaves, gain in dB, bandwidth in octaves) over a few milliseconds towards what was asked,
// the coefficients are worked out every kGlideFrames frames, and they move in equal steps
// sample by sample in between. Driven like that, a direct form I biquad stays as smooth as
// a state-variable filter does, at little more than half the cost (fifteen bands in a row
// wait on each one's recursion).
//
// The band is H(s) = (s^2 + k G s + 1) / (s^2 + k s + 1), k = 1/Q, G the gain, prewarped
// to its centre: the denominator does not depend on the gain, so a deep cut stays as narrow
// as the band (its -3 dB points are the band's edges) instead of a -60 dB notch that sags
// octaves away.
//
// A centre of 0 Hz, or one the output rate cannot carry (at or above 0.49 x the rate), makes
// the band pass the signal through: its gain glides to unity. A gain of 0 is a deep cut
// (kMinGain, -60 dB). Once the gain has settled at exactly unity, the band does no
// arithmetic at all, so its output is its input bit for bit.
class ParametricEq final : public DspUnit {
 public:
  enum Param { Center = 0, Bandwidth = 1, Gain = 2 };
  static constexpr float kMinGain = 0.001f, kMaxGain = 3.0f;
  static constexpr float kMinBandwidth = 0.2f, kMaxBandwidth = 5.0f;
  static constexpr float kMinCentre = 20.0f, kMaxCentre = 22000.0f;
  static constexpr double kMaxCentreOfRate = 0.49;
  static constexpr int kGlideFrames = 32;
  static constexpr double kGlideMs = 8.0;  // time constant of the glide

  ParametricEq();
  int parameterCount() const override { return 3; }
  float clampParameter(int index, float value) const override;
  void prepare(int sampleRate) override;
  void reset() override;
  void process(float* interleavedStereo, int frames) override;
  ParametricEq* band() override { return this; }
  // Runs bands one after another over the same block, exactly as process() on each in turn
  // would, but a few frames at a time, so the bands' recursions overlap instead of each
  // waiting for the one before to finish the block.
  static constexpr int kMaxBands = 64;
  static void processBands(ParametricEq* const* bands, int count, float* x, int frames);

  // Direct form I coefficients (a0 = 1), and the two channels' last inputs and outputs.
  struct Coefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  };
  struct History {
    double x1[2] = {0, 0}, x2[2] = {0, 0}, y1[2] = {0, 0}, y2[2] = {0, 0};
  };
  // The filter over `frames` stereo frames; with Ramp the coefficients move by `step`
  // before each frame (and `c` ends where they got to).
  template <bool Ramp>
  static void filter(History& h, Coefficients& c, const Coefficients& step, float* x, int frames);

 private:
  struct Shape {
    double octave = 0.0;  // log2 of the centre in Hz
    double gainDb = 0.0;
    double bandwidth = 1.0;
  };
  void readTarget();
  bool glide(int frames);  // one glide step; false once settled on the target
  Coefficients coefficients() const;
  void clearState() { m_history = History{}; }
  template <int G, bool Ramp>
  static void filterGroup(History* const* h, Coefficients* c, const Coefficients* step, float* x,
                          int frames);
  static void runGroup(int g, bool ramp, History* const* h, Coefficients* c,
                       const Coefficients* step, float* x, int frames);

  int m_rate = 44100;
  double m_glideCoeff = 0.0;
  Shape m_target, m_now;
  bool m_settled = true;
  Coefficients m_coeffs;  // what the last frame used
  History m_history;
};

}  // namespace sound
