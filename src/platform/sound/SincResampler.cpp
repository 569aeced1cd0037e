#include "SincResampler.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace sound {

namespace {
// The filter at a step of 1 (or less): 18 frames each side, its cutoff at 0.47 of the
// input rate, a Kaiser window good for about 95 dB; flat to some 17 kHz at 44.1 kHz, and
// what folds back lands above 19.5 kHz.
constexpr int kReach = 18;
constexpr double kCutoff = 0.47;
constexpr double kBeta = 9.6;
constexpr int kBucketsPerStep = 64;
constexpr double kMaxStep = 8.0;  // the fastest a voice plays
constexpr int kMaxBucket = int((kMaxStep - 1.0) * kBucketsPerStep);
constexpr int kPhases = 512;     // at a step of 1; fewer as the filter widens
constexpr int kFine = 1024;      // prototype samples per input frame
constexpr int kMaxHalf = 164;    // above kReach * kMaxStep, a multiple of 4
constexpr int kCapacity = 4096;  // input frames held

double besselI0(double x) {
  double sum = 1.0, term = 1.0;
  for (int k = 1; k < 50 && term > 1e-12 * sum; ++k) {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
  }
  return sum;
}

// The windowed sinc from 0 to kReach, finely sampled; looked up with interpolation.
const std::vector<float>& prototype() {
  static const std::vector<float> table = [] {
    std::vector<float> t(std::size_t(kReach * kFine + 2), 0.0f);
    const double norm = besselI0(kBeta);
    for (int i = 0; i <= kReach * kFine; ++i) {
      const double u = double(i) / kFine, w = u / kReach;
      const double arg = M_PI * 2.0 * kCutoff * u;
      const double sinc = i == 0 ? 1.0 : std::sin(arg) / arg;
      t[std::size_t(i)] =
          float(2.0 * kCutoff * sinc * besselI0(kBeta * std::sqrt(1.0 - w * w)) / norm);
    }
    return t;
  }();
  return table;
}

double stepOf(int bucket) {
  return 1.0 + double(bucket) / kBucketsPerStep;
}
int halfOf(int bucket) {
  return (int(std::ceil(kReach * stepOf(bucket))) + 3) / 4 * 4;
}
int phasesOf(int bucket) {
  return std::max(32, int(kPhases / stepOf(bucket)));
}
std::size_t bankFloats(int bucket) {
  return std::size_t(phasesOf(bucket)) * std::size_t(halfOf(bucket)) * 4;
}

// One output frame: the taps' coefficients for this phase (a + t * d) times each
// channel's input from the first tap on.
void dotPlain(const float* a, const float* d, const float* l, const float* r, int n, float t,
              float* out) {
  __m128 accL = _mm_setzero_ps(), accR = _mm_setzero_ps();
  const __m128 tv = _mm_set1_ps(t);
  for (int j = 0; j < n; j += 4) {
    const __m128 c = _mm_add_ps(_mm_loadu_ps(a + j), _mm_mul_ps(tv, _mm_loadu_ps(d + j)));
    accL = _mm_add_ps(accL, _mm_mul_ps(c, _mm_loadu_ps(l + j)));
    accR = _mm_add_ps(accR, _mm_mul_ps(c, _mm_loadu_ps(r + j)));
  }
  // Lanes of L and R side by side, then summed in pairs.
  const __m128 lo = _mm_unpacklo_ps(accL, accR), hi = _mm_unpackhi_ps(accL, accR);
  const __m128 s = _mm_add_ps(lo, hi);
  _mm_storel_pi(reinterpret_cast<__m64*>(out), _mm_add_ps(s, _mm_movehl_ps(s, s)));
}

__attribute__((target("avx2,fma"))) void dotWide(const float* a, const float* d, const float* l,
                                                 const float* r, int n, float t, float* out) {
  __m256 accL = _mm256_setzero_ps(), accR = _mm256_setzero_ps();
  const __m256 tv = _mm256_set1_ps(t);
  for (int j = 0; j < n; j += 8) {
    const __m256 c = _mm256_fmadd_ps(tv, _mm256_loadu_ps(d + j), _mm256_loadu_ps(a + j));
    accL = _mm256_fmadd_ps(c, _mm256_loadu_ps(l + j), accL);
    accR = _mm256_fmadd_ps(c, _mm256_loadu_ps(r + j), accR);
  }
  const __m128 sl = _mm_add_ps(_mm256_castps256_ps128(accL), _mm256_extractf128_ps(accL, 1));
  const __m128 sr = _mm_add_ps(_mm256_castps256_ps128(accR), _mm256_extractf128_ps(accR, 1));
  const __m128 lo = _mm_unpacklo_ps(sl, sr), hi = _mm_unpackhi_ps(sl, sr);
  const __m128 s = _mm_add_ps(lo, hi);
  _mm_storel_pi(reinterpret_cast<__m64*>(out), _mm_add_ps(s, _mm_movehl_ps(s, s)));
}

using Dot = void (*)(const float*, const float*, const float*, const float*, int, float, float*);
Dot chooseDot() {
  static const Dot dot =
      __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? dotWide : dotPlain;
  return dot;
}
}  // namespace

SincResampler::SincResampler(Pull pull, void* user)
    : m_pull(pull), m_user(user), m_in(new float[std::size_t(kCapacity) * 2]) {
  prototype();
  chooseDot();  // settled here, before any output callback asks
  std::size_t most = 0;
  for (int b = 0; b <= kMaxBucket; ++b) most = std::max(most, bankFloats(b));
  m_bank.reset(new float[most]);
  buildBank(0);
  reset();
}

SincResampler::~SincResampler() = default;

void SincResampler::reset() {
  m_inTime = -(kMaxHalf + 1);
  m_inEnd = 0;
  std::fill_n(m_in.get(), m_inEnd - m_inTime, 0.0f);
  std::fill_n(m_in.get() + kCapacity, m_inEnd - m_inTime, 0.0f);
  m_pending = nullptr;
  m_pendingFrames = 0;
  m_ended = false;
  m_realEnd = 0;
  m_pos = 0.0;
  m_lastRatio = 0.0;
}

void SincResampler::buildBank(int bucket) {
  const std::vector<float>& proto = prototype();
  const double step = stepOf(bucket), scale = double(kFine) / step;
  const int half = halfOf(bucket), phases = phasesOf(bucket), n = 2 * half;
  auto row = [&](int p) { return m_bank.get() + std::size_t(p) * std::size_t(2 * n); };
  // Coefficients of phase p (of `phases`), normalised to a gain of 1, into `dest`.
  auto fill = [&](int p, float* dest) {
    const double frac = double(p) / phases;
    double sum = 0.0;
    for (int j = 0; j < n; ++j) {
      const double x = std::fabs(double(j - half + 1) - frac) * scale;
      const auto i = std::size_t(x);
      double c = 0.0;
      if (i < std::size_t(kReach) * kFine) {
        const double f = x - double(i);
        c = proto[i] + f * (proto[i + 1] - proto[i]);
      }
      dest[j] = float(c);
      sum += c;
    }
    for (int j = 0; j < n; ++j) dest[j] = float(dest[j] / sum);
  };
  fill(0, row(0));
  for (int p = 0; p < phases; ++p) {
    float* a = row(p);
    float* d = a + n;
    if (p + 1 < phases) {
      fill(p + 1, row(p + 1));
      for (int j = 0; j < n; ++j) d[j] = row(p + 1)[j] - a[j];
    } else {
      // A whole frame on: phase 0 one tap later.
      const float* first = row(0);
      for (int j = 0; j < n; ++j) d[j] = (j >= 1 ? first[j - 1] : 0.0f) - a[j];
    }
  }
  m_bucket = bucket;
  m_half = half;
  m_phases = phases;
}

bool SincResampler::ensureInput(std::int64_t upTo) {
  while (m_inEnd < upTo) {
    if (m_inEnd - m_inTime >= kCapacity) {
      const std::int64_t keep = std::int64_t(m_pos) - kMaxHalf;
      const std::int64_t drop = keep - m_inTime;
      if (drop <= 0) return false;
      for (float* channel : {m_in.get(), m_in.get() + kCapacity})
        std::memmove(channel, channel + drop, std::size_t(m_inEnd - keep) * sizeof(float));
      m_inTime = keep;
    }
    const long room = long(kCapacity - (m_inEnd - m_inTime));
    if (m_pendingFrames == 0 && !m_ended) {
      float* data = nullptr;
      const long got = m_pull(m_user, &data);
      if (got > 0) {
        m_pending = data;
        m_pendingFrames = got;
      } else {
        m_ended = true;
        m_realEnd = m_inEnd;
      }
    }
    float* left = m_in.get() + (m_inEnd - m_inTime);
    float* right = left + kCapacity;
    if (m_ended) {
      const long take = long(std::min<std::int64_t>(room, upTo - m_inEnd));
      std::fill_n(left, take, 0.0f);
      std::fill_n(right, take, 0.0f);
      m_inEnd += take;
    } else {
      const long take = std::min(room, m_pendingFrames);
      for (long k = 0; k < take; ++k) {
        left[k] = m_pending[2 * k];
        right[k] = m_pending[2 * k + 1];
      }
      m_pending += take * 2;
      m_pendingFrames -= take;
      m_inEnd += take;
    }
  }
  return true;
}

long SincResampler::read(double ratio, long frames, float* out) {
  if (frames <= 0 || ratio <= 0.0) return 0;
  if (m_lastRatio <= 0.0) m_lastRatio = ratio;
  const double from = m_lastRatio;
  const bool glide = std::fabs(from - ratio) > 1e-10;
  const double slope = glide ? (ratio - from) / double(frames) : 0.0;
  const double step = std::min(1.0 / std::min(from, ratio), kMaxStep);
  const int bucket =
      std::clamp(int(std::ceil((step - 1.0) * kBucketsPerStep - 1e-9)), 0, kMaxBucket);
  if (bucket != m_bucket) buildBank(bucket);
  const int n = 2 * m_half;
  long got = 0;
  for (; got < frames; ++got) {
    const auto i = std::int64_t(m_pos);  // never below 0
    const std::int64_t need = i + m_half + 1;
    if ((need > m_inEnd && !ensureInput(need)) || (m_ended && m_pos >= double(m_realEnd))) break;
    const double x = (m_pos - double(i)) * m_phases;
    const int p = std::min(int(x), m_phases - 1);
    const float* row = m_bank.get() + std::size_t(p) * std::size_t(2 * n);
    const float* left = m_in.get() + (i - m_half + 1 - m_inTime);
    chooseDot()(row, row + n, left, left + kCapacity, n, float(x - p), out + 2 * got);
    m_pos += 1.0 / (glide ? from + double(got) * slope : ratio);
  }
  m_lastRatio = glide ? from + double(got) * slope : ratio;
  return got;
}

}  // namespace sound
