#include "ParametricEq.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <immintrin.h>

namespace sound {

namespace {
// Closer than this to the target counts as there; the glide then snaps onto it.
constexpr double kSettleOctaves = 1e-4, kSettleDb = 1e-3;
// Bands run together, each a frame behind the one before, so their recursions overlap.
constexpr int kGroup = 2;
}  // namespace

namespace {
// A run of bands whose coefficients hold over the block, in one pass over the block for up
// to 2 V bands, band k a frame behind band k - 1 as in filterGroup. Vector v (four doubles)
// holds bands v and v + V, each's left and right, so band k's input is in the same lanes of
// the vector before, what it made of the frame the step before: the signal passes from
// band to band in registers, and only the vectors' own recursions wait on each other. With
// fused multiply-adds, each band's arithmetic is the same whichever bands run beside it,
// so a band run alone gives what it gives among others, to the bit.
using History = ParametricEq::History;
using Coefficients = ParametricEq::Coefficients;

#define TV_WIDE __attribute__((target("avx2,fma"), always_inline)) inline

template <int V>
struct Held {
  __m256d x1[V], x2[V], y1[V], y2[V], b0[V], b1[V], b2[V], a1[V], a2[V];
};

TV_WIDE __m256d pairOf(double lo, double hi) {
  return _mm256_set_pd(hi, hi, lo, lo);
}

// The last band's frame lags the first band's by this many.
template <int V>
constexpr int kLag = 2 * V - 1;

// Step i: band k takes frame i - k (its input is what band k - 1 made of it the step
// before, which is that band's last output). On the block's edges, bands off its ends keep
// their state.
template <int V, bool Edge>
TV_WIDE void heldStep(Held<V>& s, int i, float* x, int frames) {
  const int at = std::min(i, frames - 1);
  const __m128d fresh =
      _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(x + 2 * at))));
  __m256d in[V];
  in[0] = _mm256_insertf128_pd(_mm256_castpd128_pd256(fresh),
                               _mm_cvtps_pd(_mm_cvtpd_ps(_mm256_castpd256_pd128(s.y1[V - 1]))), 1);
  // A band hands on its output as a float, as it writes it when it runs alone.
  for (int v = 1; v < V; ++v) in[v] = _mm256_cvtps_pd(_mm256_cvtpd_ps(s.y1[v - 1]));
  for (int v = 0; v < V; ++v) {
    __m256d q = _mm256_mul_pd(s.b1[v], s.x1[v]);
    q = _mm256_fmadd_pd(s.b2[v], s.x2[v], q);
    q = _mm256_fnmadd_pd(s.a2[v], s.y2[v], q);
    q = _mm256_fnmadd_pd(s.a1[v], s.y1[v], q);
    const __m256d out = _mm256_fmadd_pd(s.b0[v], in[v], q);
    if constexpr (Edge) {
      const long long lo = i - v >= 0 && i - v < frames ? -1 : 0;
      const long long hi = i - v - V >= 0 && i - v - V < frames ? -1 : 0;
      const __m256d keep = _mm256_castsi256_pd(_mm256_set_epi64x(hi, hi, lo, lo));
      s.x2[v] = _mm256_blendv_pd(s.x2[v], s.x1[v], keep);
      s.x1[v] = _mm256_blendv_pd(s.x1[v], in[v], keep);
      s.y2[v] = _mm256_blendv_pd(s.y2[v], s.y1[v], keep);
      s.y1[v] = _mm256_blendv_pd(s.y1[v], out, keep);
    } else {
      s.x2[v] = s.x1[v], s.x1[v] = in[v], s.y2[v] = s.y1[v], s.y1[v] = out;
    }
  }
  if (i >= kLag<V>)
    _mm_storel_pi(reinterpret_cast<__m64*>(x + 2 * (i - kLag<V>)),
                  _mm_cvtpd_ps(_mm256_extractf128_pd(s.y1[V - 1], 1)));
}

template <int V>
__attribute__((target("avx2,fma"))) void heldPass(History* const* h, const Coefficients* c,
                                                  int count, float* x, int frames) {
  // An odd band out is paired with one that passes its input exactly (b0 = 1, all else 0).
  History spare;
  const Coefficients pass{1, 0, 0, 0, 0};
  Held<V> s;
  for (int v = 0; v < V; ++v) {
    History* lo = h[v];
    History* hi = v + V < count ? h[v + V] : &spare;
    const Coefficients& cl = c[v];
    const Coefficients& ch = v + V < count ? c[v + V] : pass;
    s.x1[v] = _mm256_set_m128d(_mm_loadu_pd(hi->x1), _mm_loadu_pd(lo->x1));
    s.x2[v] = _mm256_set_m128d(_mm_loadu_pd(hi->x2), _mm_loadu_pd(lo->x2));
    s.y1[v] = _mm256_set_m128d(_mm_loadu_pd(hi->y1), _mm_loadu_pd(lo->y1));
    s.y2[v] = _mm256_set_m128d(_mm_loadu_pd(hi->y2), _mm_loadu_pd(lo->y2));
    s.b0[v] = pairOf(cl.b0, ch.b0), s.b1[v] = pairOf(cl.b1, ch.b1);
    s.b2[v] = pairOf(cl.b2, ch.b2), s.a1[v] = pairOf(cl.a1, ch.a1);
    s.a2[v] = pairOf(cl.a2, ch.a2);
  }
  const int steps = frames + kLag<V>;
  int i = 0;
  for (; i < std::min(kLag<V>, steps); ++i) heldStep<V, true>(s, i, x, frames);
  for (; i < frames; ++i) heldStep<V, false>(s, i, x, frames);
  for (; i < steps; ++i) heldStep<V, true>(s, i, x, frames);
  for (int v = 0; v < V; ++v) {
    History* lo = h[v];
    History* hi = v + V < count ? h[v + V] : &spare;
    _mm_storeu_pd(lo->x1, _mm256_castpd256_pd128(s.x1[v]));
    _mm_storeu_pd(hi->x1, _mm256_extractf128_pd(s.x1[v], 1));
    _mm_storeu_pd(lo->x2, _mm256_castpd256_pd128(s.x2[v]));
    _mm_storeu_pd(hi->x2, _mm256_extractf128_pd(s.x2[v], 1));
    _mm_storeu_pd(lo->y1, _mm256_castpd256_pd128(s.y1[v]));
    _mm_storeu_pd(hi->y1, _mm256_extractf128_pd(s.y1[v], 1));
    _mm_storeu_pd(lo->y2, _mm256_castpd256_pd128(s.y2[v]));
    _mm_storeu_pd(hi->y2, _mm256_extractf128_pd(s.y2[v], 1));
  }
}
#undef TV_WIDE

constexpr int kHeldBands = 8;  // bands to a pass

__attribute__((target("avx2,fma"))) void heldWide(History* const* h, const Coefficients* c,
                                                  int count, float* x, int frames) {
  for (int b = 0; b < count; b += kHeldBands) {
    const int n = std::min(kHeldBands, count - b);
    switch ((n + 1) / 2) {
      case 1:
        heldPass<1>(h + b, c + b, n, x, frames);
        break;
      case 2:
        heldPass<2>(h + b, c + b, n, x, frames);
        break;
      case 3:
        heldPass<3>(h + b, c + b, n, x, frames);
        break;
      default:
        heldPass<4>(h + b, c + b, n, x, frames);
        break;
    }
  }
}

using HeldRun = void (*)(History* const*, const Coefficients*, int, float*, int);
HeldRun chooseHeld() {
  static const HeldRun held =
      __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? heldWide : nullptr;
  return held;
}
}  // namespace

ParametricEq::ParametricEq() {
  initParameter(Center, 8000.0f);
  initParameter(Bandwidth, 1.0f);
  initParameter(Gain, 1.0f);
  chooseHeld();  // settled here, before any output callback asks
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
  const HeldRun held = chooseHeld();
  for (int done = 0; done < frames;) {
    // Bands all settled hold their coefficients over the rest of the block: one run.
    const bool still = held && std::all_of(bands, bands + count,
                                           [](const ParametricEq* b) { return b->m_settled; });
    const int n = still ? frames - done : std::min(frames - done, kGlideFrames);
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
    for (int b = 0; b < active;) {
      // Bands in a row holding their coefficients go through the wide passes, those
      // gliding two at a time.
      int e = b;
      while (held && e < active && !plans[std::size_t(e)].ramp) ++e;
      if (e > b) {
        History* h[kMaxBands];
        Coefficients c[kMaxBands];
        for (int k = b; k < e; ++k) {
          h[k - b] = &plans[std::size_t(k)].band->m_history;
          c[k - b] = plans[std::size_t(k)].now;
        }
        held(h, c, e - b, block, n);
        b = e;
        continue;
      }
      int g = 1;
      if (b + 1 < active && (!held || plans[std::size_t(b + 1)].ramp)) g = 2;
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
      b += g;
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
