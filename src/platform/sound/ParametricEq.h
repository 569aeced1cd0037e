#pragma once

#include "DspUnit.h"

namespace sound {

// One peaking band: centre in Hz, bandwidth in octaves, linear gain. A 0 Hz centre or a
// gain of exactly 1 passes the signal through untouched.
class ParametricEq final : public DspUnit {
 public:
  enum Param { Center = 0, Bandwidth = 1, Gain = 2 };
  static constexpr float kMinGain = 0.05f, kMaxGain = 3.0f;
  static constexpr float kMinBandwidth = 0.2f, kMaxBandwidth = 5.0f;

  ParametricEq();
  int parameterCount() const override { return 3; }
  float clampParameter(int index, float value) const override;
  void prepare(int sampleRate) override;
  void process(float* interleavedStereo, int frames) override;

 private:
  void updateCoefficients();

  int m_rate = 44100;
  bool m_bypass = true;
  double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
  double m_x1[2] = {0, 0}, m_x2[2] = {0, 0}, m_y1[2] = {0, 0}, m_y2[2] = {0, 0};
};

}  // namespace sound
