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
  m_ic1[0] = m_ic1[1] = m_ic2[0] = m_ic2[1] = 0.0;
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
  // 0.49 x the rate even while it glides, so g stays finite. At the centre the band-pass
  // is 1, so the gain there is 1 + m1 = A^2 = the linear gain.
  const double centre = std::min(std::exp2(m_now.octave), kMaxCentreOfRate * m_rate);
  const double g = std::tan(M_PI * centre / m_rate);
  const double k = 2.0 * std::sinh(std::log(2.0) / 2.0 * m_now.bandwidth);  // 1 / Q
  Coefficients c;
  c.a1 = 1.0 / (1.0 + g * (g + k));
  c.a2 = g * c.a1;
  c.a3 = g * c.a2;
  c.m1 = k * (std::pow(10.0, m_now.gainDb / 20.0) - 1.0);
  return c;
}

void ParametricEq::process(float* x, int frames) {
  if (parametersChanged()) readTarget();
  for (int done = 0; done < frames;) {
    const int n = std::min(frames - done, kGlideFrames);
    float* block = x + std::size_t(done) * 2;
    if (glide(n)) {
      const Coefficients next = coefficients();
      runFilter<true>(block, n, next);
      m_coeffs = next;
    } else if (m_now.gainDb == 0.0) {
      // Settled at unity: the output is the input; the state is dropped so a later boost
      // starts clean (the added band-pass starts at a gain of nearly 1, so it cannot click).
      m_ic1[0] = m_ic1[1] = m_ic2[0] = m_ic2[1] = 0.0;
    } else {
      runFilter<false>(block, n, m_coeffs);
    }
    done += n;
  }
}

template <bool Ramp>
void ParametricEq::runFilter(float* x, int frames, const Coefficients& to) {
  // Both channels in one pass: each channel's recursion waits only on itself, so the two
  // run side by side and fifteen bands stay cheap. While gliding, the coefficients move
  // from the last block's to this one's a step per frame.
  double a1 = m_coeffs.a1, a2 = m_coeffs.a2, a3 = m_coeffs.a3, m1 = m_coeffs.m1;
  const double steps = Ramp ? 1.0 / frames : 0.0;
  const double d1 = (to.a1 - a1) * steps, d2 = (to.a2 - a2) * steps, d3 = (to.a3 - a3) * steps,
               dm = (to.m1 - m1) * steps;
  double l1 = m_ic1[0], l2 = m_ic2[0], r1 = m_ic1[1], r2 = m_ic2[1];
  for (int i = 0; i < frames; ++i) {
    if constexpr (Ramp) {
      a1 += d1;
      a2 += d2;
      a3 += d3;
      m1 += dm;
    }
    const double l = x[2 * i], r = x[2 * i + 1];
    const double l3 = l - l2, r3 = r - r2;
    const double lv1 = a1 * l1 + a2 * l3, rv1 = a1 * r1 + a2 * r3;
    const double lv2 = l2 + a2 * l1 + a3 * l3, rv2 = r2 + a2 * r1 + a3 * r3;
    l1 = 2.0 * lv1 - l1;
    r1 = 2.0 * rv1 - r1;
    l2 = 2.0 * lv2 - l2;
    r2 = 2.0 * rv2 - r2;
    x[2 * i] = float(l + m1 * lv1);
    x[2 * i + 1] = float(r + m1 * rv1);
  }
  m_ic1[0] = l1, m_ic2[0] = l2, m_ic1[1] = r1, m_ic2[1] = r2;
}

}  // namespace sound
