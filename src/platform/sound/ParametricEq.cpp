#include "ParametricEq.h"

#include <algorithm>
#include <array>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sound {

namespace {
// Closer than this to the target counts as there; the glide then snaps onto it.
constexpr double kSettleOctaves = 1e-4, kSettleDb = 1e-3;
// Bands run together, each a frame behind the one before, so their recursions overlap.
constexpr int kGroup = 2;
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
  ParametricEq* self = this;
  processBands(&self, 1, x, frames);
}

void ParametricEq::processBands(ParametricEq* const* bands, int count, float* x, int frames) {
  count = std::min(count, kMaxBands);
  for (int b = 0; b < count; ++b)
    if (bands[b]->parametersChanged()) bands[b]->readTarget();
  // What each band does over one glide step: glide (its coefficients move frame by frame
  // towards the next ones), hold them, or pass the signal (settled at unity).
  struct Plan {
    ParametricEq* band;
    Coefficients now, step, next;
    bool ramp;
  };
  std::array<Plan, kMaxBands> plans;
  for (int done = 0; done < frames;) {
    const int n = std::min(frames - done, kGlideFrames);
    int active = 0;
    for (int b = 0; b < count; ++b) {
      ParametricEq* band = bands[b];
      Plan& p = plans[std::size_t(active)];
      p.band = band;
      p.now = band->m_coeffs;
      p.ramp = band->glide(n);
      if (p.ramp) {
        p.next = band->coefficients();
        const double r = 1.0 / n;
        const Coefficients& c = p.now;
        p.step =
            Coefficients{(p.next.b0 - c.b0) * r, (p.next.b1 - c.b1) * r, (p.next.b2 - c.b2) * r,
                         (p.next.a1 - c.a1) * r, (p.next.a2 - c.a2) * r};
      } else if (band->m_now.gainDb == 0.0) {
        // Settled at unity: the output is the input; the state is dropped so a later boost
        // starts clean (the added band-pass starts at a gain of nearly 1, so it cannot click).
        band->clearState();
        continue;
      }
      ++active;
    }
    float* block = x + std::size_t(done) * 2;
    for (int b = 0; b < active; b += kGroup) {
      const int g = std::min(kGroup, active - b);
      History* h[kGroup];
      Coefficients c[kGroup], step[kGroup];
      bool ramp = false;
      for (int k = 0; k < g; ++k) {
        const Plan& p = plans[std::size_t(b + k)];
        h[k] = &p.band->m_history;
        c[k] = p.now;
        step[k] = p.ramp ? p.step : Coefficients{0, 0, 0, 0, 0};  // adding 0 changes nothing
        ramp = ramp || p.ramp;
      }
      runGroup(g, ramp, h, c, step, block, n);
    }
    for (int b = 0; b < active; ++b)
      if (plans[std::size_t(b)].ramp)
        plans[std::size_t(b)].band->m_coeffs = plans[std::size_t(b)].next;
    done += n;
  }
}

// A group of bands over one block, band k a frame behind band k - 1: it takes each frame
// as soon as that band has written it, so the group's recursions run side by side. Each
// band computes exactly what filter() would.
template <int G, bool Ramp>
void ParametricEq::filterGroup(History* const* h, Coefficients* c, const Coefficients* step,
                               float* x, int frames) {
#if defined(__SSE2__)
  __m128d x1[G], x2[G], y1[G], y2[G], b0[G], b1[G], b2[G], a1[G], a2[G];
  __m128d s0[G], s1[G], s2[G], t1[G], t2[G];
  for (int g = 0; g < G; ++g) {
    x1[g] = _mm_loadu_pd(h[g]->x1), x2[g] = _mm_loadu_pd(h[g]->x2);
    y1[g] = _mm_loadu_pd(h[g]->y1), y2[g] = _mm_loadu_pd(h[g]->y2);
    b0[g] = _mm_set1_pd(c[g].b0), b1[g] = _mm_set1_pd(c[g].b1), b2[g] = _mm_set1_pd(c[g].b2);
    a1[g] = _mm_set1_pd(c[g].a1), a2[g] = _mm_set1_pd(c[g].a2);
    s0[g] = _mm_set1_pd(step[g].b0), s1[g] = _mm_set1_pd(step[g].b1);
    s2[g] = _mm_set1_pd(step[g].b2), t1[g] = _mm_set1_pd(step[g].a1);
    t2[g] = _mm_set1_pd(step[g].a2);
  }
  for (int i = 0; i < frames + G - 1; ++i) {
    for (int g = 0; g < G; ++g) {
      const int j = i - g;
      if (j < 0 || j >= frames) continue;
      if constexpr (Ramp) {
        b0[g] = _mm_add_pd(b0[g], s0[g]), b1[g] = _mm_add_pd(b1[g], s1[g]);
        b2[g] = _mm_add_pd(b2[g], s2[g]), a1[g] = _mm_add_pd(a1[g], t1[g]);
        a2[g] = _mm_add_pd(a2[g], t2[g]);
      }
      float* f = x + std::size_t(j) * 2;
      const __m128d in = _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<double*>(f))));
      __m128d p = _mm_add_pd(_mm_mul_pd(b0[g], in), _mm_mul_pd(b1[g], x1[g]));
      p = _mm_sub_pd(_mm_add_pd(p, _mm_mul_pd(b2[g], x2[g])), _mm_mul_pd(a2[g], y2[g]));
      const __m128d out = _mm_sub_pd(p, _mm_mul_pd(a1[g], y1[g]));
      x2[g] = x1[g], x1[g] = in, y2[g] = y1[g], y1[g] = out;
      _mm_storel_pi(reinterpret_cast<__m64*>(f), _mm_cvtpd_ps(out));
    }
  }
  for (int g = 0; g < G; ++g) {
    _mm_storeu_pd(h[g]->x1, x1[g]), _mm_storeu_pd(h[g]->x2, x2[g]);
    _mm_storeu_pd(h[g]->y1, y1[g]), _mm_storeu_pd(h[g]->y2, y2[g]);
    if constexpr (Ramp)
      c[g] = Coefficients{_mm_cvtsd_f64(b0[g]), _mm_cvtsd_f64(b1[g]), _mm_cvtsd_f64(b2[g]),
                          _mm_cvtsd_f64(a1[g]), _mm_cvtsd_f64(a2[g])};
  }
#else
  // Each output waits on one multiply and one subtraction of the previous output only.
  for (int g = 0; g < G; ++g) {
    History& s = *h[g];
    for (int i = 0; i < frames; ++i) {
      if constexpr (Ramp) {
        c[g].b0 += step[g].b0, c[g].b1 += step[g].b1, c[g].b2 += step[g].b2;
        c[g].a1 += step[g].a1, c[g].a2 += step[g].a2;
      }
      for (int ch = 0; ch < 2; ++ch) {
        const double in = x[2 * i + ch];
        const double p =
            c[g].b0 * in + c[g].b1 * s.x1[ch] + c[g].b2 * s.x2[ch] - c[g].a2 * s.y2[ch];
        const double out = p - c[g].a1 * s.y1[ch];
        s.x2[ch] = s.x1[ch], s.x1[ch] = in, s.y2[ch] = s.y1[ch], s.y1[ch] = out;
        x[2 * i + ch] = float(out);
      }
    }
  }
#endif
}

void ParametricEq::runGroup(int g, bool ramp, History* const* h, Coefficients* c,
                            const Coefficients* step, float* x, int frames) {
  static_assert(kGroup == 2);
  if (g == 2)
    ramp ? filterGroup<2, true>(h, c, step, x, frames)
         : filterGroup<2, false>(h, c, step, x, frames);
  else
    ramp ? filterGroup<1, true>(h, c, step, x, frames)
         : filterGroup<1, false>(h, c, step, x, frames);
}

template <bool Ramp>
void ParametricEq::filter(History& h, Coefficients& c, const Coefficients& step, float* x,
                          int frames) {
  History* one = &h;
  filterGroup<1, Ramp>(&one, &c, &step, x, frames);
}

template void ParametricEq::filter<true>(History&, Coefficients&, const Coefficients&, float*, int);
template void ParametricEq::filter<false>(History&, Coefficients&, const Coefficients&, float*,
                                          int);

}  // namespace sound
