#pragma once

#include "DspUnit.h"

namespace sound {

// One peaking band: centre in Hz, bandwidth in octaves, linear gain at the centre.
//
// The user drags a band's thumb as fast as the mouse goes, so the band must stay quiet and
// stable while every parameter jumps. It is a trapezoidal state-variable filter, whose
// state stays meaningful when its coefficients change: the output is the input plus
// (gain - 1) x its band-pass, and the band-pass does not depend on the gain, so a gain move
// only scales what is added. (This also keeps a deep cut as narrow as the band: its -3 dB
// points are the band's edges, instead of a -60 dB notch that sags octaves away.) The
// settings glide (centre in octaves, gain in dB, bandwidth in octaves) over a few
// milliseconds towards what was asked; the coefficients are worked out every kGlideFrames
// frames and ramp sample by sample in between.
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

 private:
  struct Shape {
    double octave = 0.0;  // log2 of the centre in Hz
    double gainDb = 0.0;
    double bandwidth = 1.0;
  };
  void readTarget();
  struct Coefficients {
    double a1 = 1, a2 = 0, a3 = 0, m1 = 0;
  };
  bool glide(int frames);  // one glide step; false once settled on the target
  Coefficients coefficients() const;
  template <bool Ramp>
  void runFilter(float* x, int frames, const Coefficients& to);

  int m_rate = 44100;
  double m_glideCoeff = 0.0;
  Shape m_target, m_now;
  bool m_settled = true;
  Coefficients m_coeffs;  // what the last frame used
  double m_ic1[2] = {0, 0}, m_ic2[2] = {0, 0};
};

}  // namespace sound
