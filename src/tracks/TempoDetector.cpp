#include "tracks/TempoDetector.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>

namespace tracks {

namespace {
constexpr double kEnvelopeRate = 200.0;  // points a second, roughly
constexpr double kLowHz = 200.0, kMidHz = 2500.0;
constexpr double kFloor = 1e-7;            // mean square below which a band counts as silent
constexpr double kMinEnvelopeRate = 50.0;  // from files at very low rates: no tempo
constexpr double kMinSeconds = 6.0;        // shorter: no tempo
constexpr double kMaxSeconds = 240.0;      // the middle of longer tracks is enough
constexpr double kMinStrength = 0.1;       // beat autocorrelation against the envelope's power
constexpr double kSameBeat = 0.76;         // half a period this strong makes the beat faster

bool cancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

// Strength of the components of `d` at h / period for h = 1..harmonics, summed.
double combStrength(const std::vector<float>& d, double period, int harmonics) {
  std::complex<double> sum[4] = {};
  const std::complex<double> step = std::polar(1.0, -2.0 * M_PI / period);
  std::complex<double> z = 1.0;
  for (std::size_t n = 0; n < d.size(); ++n) {
    const double v = d[n];
    std::complex<double> zh = z;
    for (int h = 0; h < harmonics; ++h) {
      sum[h] += v * zh;
      zh *= z;
    }
    z *= step;
  }
  double s = 0;
  for (int h = 0; h < harmonics; ++h) s += std::abs(sum[h]);
  return s;
}

// The period (in envelope points) in [from, to] with the strongest comb, in `steps` steps.
double bestPeriod(const std::vector<float>& d, double from, double to, int steps, int harmonics) {
  double best = from, bestScore = -1;
  for (int i = 0; i <= steps; ++i) {
    const double p = from + (to - from) * i / steps;
    const double s = combStrength(d, p, harmonics);
    if (s > bestScore) bestScore = s, best = p;
  }
  return best;
}

float at(const std::vector<float>& v, double pos) {
  const auto i = std::size_t(pos);
  if (i + 1 >= v.size()) return i < v.size() ? v[i] : 0.0f;
  const float f = float(pos - double(i));
  return v[i] * (1 - f) + v[i + 1] * f;
}
}  // namespace

TempoDetector::TempoDetector(int sampleRate)
    : m_rate(std::max(1, sampleRate)),
      m_hop(std::max(1, int(std::lround(m_rate / kEnvelopeRate)))),
      m_lowCoeff(1.0 - std::exp(-2.0 * M_PI * kLowHz / m_rate)),
      m_midCoeff(1.0 - std::exp(-2.0 * M_PI * kMidHz / m_rate)) {
  for (double& l : m_lastLog) l = std::log(kFloor);
}

void TempoDetector::add(const float* frames, int count) {
  const double lc = m_lowCoeff, mc = m_midCoeff;
  for (int i = 0; i < count;) {
    const int run = std::min(count - i, m_hop - m_fill);
    double low = m_low, mid = m_mid, e0 = 0, e1 = 0, e2 = 0;
    for (int n = i; n < i + run; ++n) {
      const double x = double(frames[2 * n]) + frames[2 * n + 1];
      low += lc * (x - low);
      mid += mc * (x - mid);
      e0 += low * low;
      e1 += (mid - low) * (mid - low);
      e2 += (x - mid) * (x - mid);
    }
    m_low = low, m_mid = mid;
    m_energy[0] += e0, m_energy[1] += e1, m_energy[2] += e2;
    m_fill += run;
    i += run;
    if (m_fill == m_hop) endHop();
  }
}

void TempoDetector::endHop() {
  double rise = 0;
  for (int b = 0; b < 3; ++b) {
    const double l = std::log(m_energy[b] / m_hop + kFloor);
    rise += std::max(0.0, l - m_lastLog[b]);
    m_lastLog[b] = l;
    m_energy[b] = 0;
  }
  m_envelope.push_back(float(rise));
  m_fill = 0;
}

bool TempoDetector::estimate(double audibleStartSeconds, Beat& out,
                             const std::atomic<bool>* cancel) const {
  out = {};
  const double rate = double(m_rate) / m_hop;  // envelope points a second
  const auto total = m_envelope.size();
  if (double(total) < kMinSeconds * rate || rate < kMinEnvelopeRate) return !cancelled(cancel);
  // The middle of the track, lightly smoothed so that an onset split over two points still
  // lines up with itself.
  const auto length = std::min<std::size_t>(total, std::size_t(kMaxSeconds * rate));
  const std::size_t begin = (total - length) / 2;
  std::vector<float> env(length);
  for (std::size_t n = 0; n < length; ++n) {
    const std::size_t i = begin + n;
    const float prev = i > 0 ? m_envelope[i - 1] : 0.0f;
    const float next = i + 1 < total ? m_envelope[i + 1] : 0.0f;
    env[n] = 0.25f * prev + 0.5f * m_envelope[i] + 0.25f * next;
  }
  // Less its mean over the 1.5 s around it, so the autocorrelation sees the beat, not the level.
  std::vector<float> d(length);
  const auto reach = std::size_t(0.75 * rate);
  std::vector<double> prefix(length + 1, 0.0);
  for (std::size_t n = 0; n < length; ++n) prefix[n + 1] = prefix[n] + env[n];
  for (std::size_t n = 0; n < length; ++n) {
    const std::size_t a = n > reach ? n - reach : 0, b = std::min(length, n + reach + 1);
    d[n] = env[n] - float((prefix[b] - prefix[a]) / double(b - a));
  }
  const int minLag = int(std::floor(60.0 * rate / kMaxBpm));
  const int maxLag = int(std::ceil(60.0 * rate / kMinBpm));
  std::vector<double> r(std::size_t(2 * maxLag + 2), 0.0);
  for (std::size_t lag = 0; lag < r.size(); ++lag) {
    double s = 0;
    for (std::size_t n = 0; n + lag < length; ++n) s += double(d[n]) * d[n + lag];
    r[lag] = s / double(length - lag);
  }
  if (cancelled(cancel)) return false;
  if (r[0] <= 0) return true;
  auto peakNear = [&](int lag) {
    int best = lag;
    for (int l = lag - 1; l <= lag + 1; ++l)
      if (r[std::size_t(l)] > r[std::size_t(best)]) best = l;
    return best;
  };
  int bestLag = 0;
  double bestScore = 0;
  for (int lag = minLag; lag <= maxLag; ++lag) {
    const double score = r[std::size_t(lag)] + 0.5 * r[std::size_t(peakNear(2 * lag))];
    if (score > bestScore) bestScore = score, bestLag = lag;
  }
  // A period and its double explain the same beats when half the longer one is about as
  // strong: the faster tempo is taken then.
  if (bestLag > 0 && bestLag / 2 - 1 >= minLag) {
    const int half = peakNear(bestLag / 2 + (bestLag % 2));
    if (r[std::size_t(half)] >= kSameBeat * r[std::size_t(bestLag)]) bestLag = half;
  }
  if (bestLag == 0 || r[std::size_t(bestLag)] < kMinStrength * r[0]) return true;
  // Between the lags, then by the comb: first wide with the beat rate alone, then narrow
  // with three harmonics as well.
  const double ym = r[std::size_t(bestLag - 1)], y0 = r[std::size_t(bestLag)],
               yp = r[std::size_t(bestLag + 1)];
  const double curve = ym - 2 * y0 + yp;
  double period = bestLag + (curve < 0 ? std::clamp(0.5 * (ym - yp) / curve, -0.5, 0.5) : 0.0);
  period = bestPeriod(d, period * 0.98, period * 1.02, 40, 1);
  if (cancelled(cancel)) return false;
  period = bestPeriod(d, period * 0.999, period * 1.001, 20, 4);
  if (cancelled(cancel)) return false;
  // The phase, over the whole envelope in quarter points.
  const std::vector<float>& all = m_envelope;
  double phase = 0, phaseScore = -1;
  for (double p = 0; p < period; p += 0.25) {
    double s = 0;
    for (double t = p; t < double(total); t += period) s += at(all, t);
    if (s > phaseScore) phaseScore = s, phase = p;
  }
  const double start = audibleStartSeconds * rate - 0.25 * period;
  if (phase < start) phase += std::ceil((start - phase) / period) * period;
  out.bpm = 60.0 * rate / period;
  out.firstBeatSeconds = phase / rate;
  return !cancelled(cancel);
}

}  // namespace tracks
