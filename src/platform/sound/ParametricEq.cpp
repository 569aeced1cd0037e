#include "ParametricEq.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {
// Closer than this to the target counts as there; the glide then snaps onto it.
constexpr double kSettleOctaves = 1e-4, kSettleDb = 1e-3;
}  // namespace

ParametricEq::ParametricEq() {
  initParameter(Center, 8000.0f);
  initParameter(Bandwidth, 1.0f);
  initParameter(Gain, 1.0f);
}

float ParametricEq::clampParameter(int index, float value) const {
  switch (index) {
    case Center:
      return value <= 0.0f ? 0.0f : std::clamp(value, kMinCentre, kMaxCentre);
    case Bandwidth:
      return std::clamp(value, kMinBandwidth, kMaxBandwidth);
    default:
      return std::clamp(value, kMinGain, kMaxGain);
  }
}

void ParametricEq::prepare(int sampleRate) {
  m_rate = std::max(sampleRate, 1000);
  m_glideCoeff = 1.0 - std::exp(-kGlideFrames / (kGlideMs * 0.001 * m_rate));
  parametersChanged();
  m_now = Shape{std::log2(1000.0), 0.0, 1.0};
  readTarget();
  m_now = m_target;
  reset();
}

void ParametricEq::reset() {
  // Start afresh on the present settings: a band coming back from bypass does not glide
  // from where it was long ago.
  if (parametersChanged()) readTarget();
  m_now = m_target;
  m_settled = true;
  clearState();
  m_coeffs = coefficients();
}

void ParametricEq::readTarget() {
  const double centre = param(Center);
  const double gain = param(Gain);
  m_target.bandwidth = param(Bandwidth);
  if (centre <= 0.0 || centre >= kMaxCentreOfRate * m_rate) {
    // Nowhere to put the band: keep its centre where it is and fade its gain to unity.
    m_target.octave = m_now.octave;
    m_target.gainDb = 0.0;
  } else {
    m_target.octave = std::log2(centre);
    m_target.gainDb = 20.0 * std::log10(std::clamp(gain, double(kMinGain), double(kMaxGain)));
  }
  m_settled = false;
}

bool ParametricEq::glide(int frames) {
  if (m_settled) return false;
  // Output blocks need not be multiples of kGlideFrames; a short step glides less.
  const double coeff = m_glideCoeff * frames / kGlideFrames;
  auto step = [&](double& now, double target, double close) {
    const double next = now + (target - now) * coeff;
    if (std::fabs(target - next) < close) {
      now = target;
      return true;
    }
    now = next;
    return false;
  };
  const bool centre = step(m_now.octave, m_target.octave, kSettleOctaves);
  const bool gain = step(m_now.gainDb, m_target.gainDb, kSettleDb);
  const bool width = step(m_now.bandwidth, m_target.bandwidth, kSettleOctaves);
  m_settled = centre && gain && width;
  return true;
}

ParametricEq::Coefficients ParametricEq::coefficients() const {
  // g is prewarped so the centre lands where it was asked; the centre is kept below
  // 0.49 x the rate even while it glides, so g stays finite.
  const double centre = std::min(std::exp2(m_now.octave), kMaxCentreOfRate * m_rate);
  const double g = std::tan(M_PI * centre / m_rate);
  const double k = 2.0 * std::sinh(std::log(2.0) / 2.0 * m_now.bandwidth);  // 1 / Q
  const double gain = std::pow(10.0, m_now.gainDb / 20.0);
  // H(s) = (s^2 + k G s + 1) / (s^2 + k s + 1), through the bilinear transform.
  const double g2 = g * g, a0 = 1.0 + k * g + g2;
  Coefficients c;
  c.b0 = (1.0 + k * gain * g + g2) / a0;
  c.b1 = 2.0 * (g2 - 1.0) / a0;
  c.b2 = (1.0 - k * gain * g + g2) / a0;
  c.a1 = c.b1;
  c.a2 = (1.0 - k * g + g2) / a0;
  return c;
}

void ParametricEq::process(float* x, int frames) {
  if (parametersChanged()) readTarget();
  for (int done = 0; done < frames;) {
    float* block = x + std::size_t(done) * 2;
    const int n = std::min(frames - done, kGlideFrames);
    if (glide(n)) {
      const Coefficients next = coefficients();
      runFilter<true>(block, n, next);
      m_coeffs = next;
      done += n;
    } else if (m_now.gainDb == 0.0) {
      // Settled at unity: the output is the input; the state is dropped so a later boost
      // starts clean (the added band-pass starts at a gain of nearly 1, so it cannot click).
      clearState();
      return;
    } else {
      runFilter<false>(block, frames - done, m_coeffs);  // settled: the rest in one go
      return;
    }
  }
}

template <bool Ramp>
void ParametricEq::runFilter(float* x, int frames, const Coefficients& to) {
  // Both channels in one pass: each output waits on one multiply-add of the previous
  // output only, and the two channels run side by side.
  Coefficients c = m_coeffs, step;
  if constexpr (Ramp) {
    const double r = 1.0 / frames;
    step = Coefficients{(to.b0 - c.b0) * r, (to.b1 - c.b1) * r, (to.b2 - c.b2) * r,
                        (to.a1 - c.a1) * r, (to.a2 - c.a2) * r};
  }
  double xl1 = m_x1[0], xl2 = m_x2[0], yl1 = m_y1[0], yl2 = m_y2[0];
  double xr1 = m_x1[1], xr2 = m_x2[1], yr1 = m_y1[1], yr2 = m_y2[1];
  for (int i = 0; i < frames; ++i) {
    if constexpr (Ramp) {
      c.b0 += step.b0, c.b1 += step.b1, c.b2 += step.b2, c.a1 += step.a1, c.a2 += step.a2;
    }
    const double l = x[2 * i], r = x[2 * i + 1];
    const double pl = c.b0 * l + c.b1 * xl1 + c.b2 * xl2 - c.a2 * yl2;
    const double pr = c.b0 * r + c.b1 * xr1 + c.b2 * xr2 - c.a2 * yr2;
    const double ol = pl - c.a1 * yl1, orr = pr - c.a1 * yr1;
    xl2 = xl1, xl1 = l, yl2 = yl1, yl1 = ol;
    xr2 = xr1, xr1 = r, yr2 = yr1, yr1 = orr;
    x[2 * i] = float(ol);
    x[2 * i + 1] = float(orr);
  }
  m_x1[0] = xl1, m_x2[0] = xl2, m_y1[0] = yl1, m_y2[0] = yl2;
  m_x1[1] = xr1, m_x2[1] = xr2, m_y1[1] = yr1, m_y2[1] = yr2;
}

void ParametricEq::clearState() {
  for (double* h : {m_x1, m_x2, m_y1, m_y2}) h[0] = h[1] = 0.0;
}

}  // namespace sound
