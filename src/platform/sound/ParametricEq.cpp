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
    for (auto* h : {m_x1, m_x2, m_y1, m_y2}) h[0] = h[1] = 0.0;
    return;
  }
  // Direct form I with both channels in one pass: each output waits on one multiply-add
  // of the previous output only, so fifteen bands stay cheap.
  const double b0 = m_b0, b1 = m_b1, b2 = m_b2, a1 = m_a1, a2 = m_a2;
  double xl1 = m_x1[0], xl2 = m_x2[0], yl1 = m_y1[0], yl2 = m_y2[0];
  double xr1 = m_x1[1], xr2 = m_x2[1], yr1 = m_y1[1], yr2 = m_y2[1];
  for (int i = 0; i < frames; ++i) {
    const double l = x[2 * i], r = x[2 * i + 1];
    const double pl = b0 * l + b1 * xl1 + b2 * xl2 - a2 * yl2;
    const double pr = b0 * r + b1 * xr1 + b2 * xr2 - a2 * yr2;
    const double ol = pl - a1 * yl1, orr = pr - a1 * yr1;
    xl2 = xl1;
    xl1 = l;
    yl2 = yl1;
    yl1 = ol;
    xr2 = xr1;
    xr1 = r;
    yr2 = yr1;
    yr1 = orr;
    x[2 * i] = float(ol);
    x[2 * i + 1] = float(orr);
  }
  m_x1[0] = xl1, m_x2[0] = xl2, m_y1[0] = yl1, m_y2[0] = yl2;
  m_x1[1] = xr1, m_x2[1] = xr2, m_y1[1] = yr1, m_y2[1] = yr2;
}

}  // namespace sound
