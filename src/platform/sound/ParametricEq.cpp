#include "ParametricEq.h"

#include <algorithm>
#include <cmath>

namespace sound {

ParametricEq::ParametricEq() {
  initParameter(Center, 8000.0f);
  initParameter(Bandwidth, 1.0f);
  initParameter(Gain, 1.0f);
}

float ParametricEq::clampParameter(int index, float value) const {
  switch (index) {
    case Center:
      return value <= 0.0f ? 0.0f : std::clamp(value, 20.0f, 22000.0f);
    case Bandwidth:
      return std::clamp(value, kMinBandwidth, kMaxBandwidth);
    default:
      return std::clamp(value, kMinGain, kMaxGain);
  }
}

void ParametricEq::prepare(int sampleRate) {
  m_rate = sampleRate;
  updateCoefficients();
}

void ParametricEq::updateCoefficients() {
  const double centre = param(Center);
  const double gain = param(Gain);
  // A centre at or above Nyquist cannot be filtered; the band then does nothing.
  m_bypass = centre <= 0.0 || gain == 1.0 || centre >= 0.49 * m_rate;
  if (m_bypass) return;
  const double w0 = 2.0 * M_PI * centre / m_rate;
  const double a = std::sqrt(gain);  // amplitude gain at the centre is `gain`
  const double sinW = std::sin(w0);
  const double alpha = sinW * std::sinh(std::log(2.0) / 2.0 * param(Bandwidth) * w0 / sinW);
  const double a0 = 1.0 + alpha / a;
  m_b0 = (1.0 + alpha * a) / a0;
  m_b1 = (-2.0 * std::cos(w0)) / a0;
  m_b2 = (1.0 - alpha * a) / a0;
  m_a1 = m_b1;
  m_a2 = (1.0 - alpha / a) / a0;
}

void ParametricEq::process(float* x, int frames) {
  if (parametersChanged()) updateCoefficients();
  if (m_bypass) {
    m_z1[0] = m_z1[1] = m_z2[0] = m_z2[1] = 0.0;
    return;
  }
  for (int c = 0; c < 2; ++c) {
    double z1 = m_z1[c], z2 = m_z2[c];
    for (int i = 0; i < frames; ++i) {
      const double in = x[2 * i + c];
      const double out = m_b0 * in + z1;
      z1 = m_b1 * in - m_a1 * out + z2;
      z2 = m_b2 * in - m_a2 * out;
      x[2 * i + c] = float(out);
    }
    m_z1[c] = z1;
    m_z2[c] = z2;
  }
}

}  // namespace sound
