#include "tracks/LoudnessMeter.h"

#include <algorithm>
#include <cmath>

namespace tracks {

namespace {
constexpr int kChunk = 64;                        // frames judged together for the true peak
constexpr int kReach = LoudnessMeter::kTaps / 2;  // samples each side of an interpolated point
constexpr double kOffset = -0.691;                // BS.1770: loudness of a mean square of 1
constexpr double kAbsoluteGateLufs = -70.0;
constexpr double kRelativeGateLu = -10.0;

double loudnessOf(double meanSquare) {
  return kOffset + 10.0 * std::log10(meanSquare);
}
}  // namespace

LoudnessMeter::LoudnessMeter(int sampleRate)
    : m_subBlockFrames(std::max(1, sampleRate / 10)), m_window(2 * kTaps, 0.0f) {
  const double rate = std::max(1, sampleRate);
  // The two stages of the K-weighting, worked out for this rate from their analogue
  // prototypes (a +4 dB shelf above about 1.7 kHz, then a high-pass at 38 Hz).
  // (At rates too low for the shelf, below about 3.7 kHz, it is left out.)
  m_shelf = {1.0, 0.0, 0.0, 0.0, 0.0};
  if (rate > 2.2 * 1681.974450955533) {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(M_PI * f0 / rate);
    const double vh = std::pow(10.0, gainDb / 20.0), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    m_shelf = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
               (vh - vb * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
               (1.0 - k / q + k * k) / a0};
  }
  {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(M_PI * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    m_highPass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
  }
  // Blackman-windowed sinc taps at a quarter, half and three quarters of a sample.
  for (int p = 0; p < 3; ++p) {
    const double frac = (p + 1) / 4.0;
    double sum = 0, taps[kTaps];
    for (int j = 0; j < kTaps; ++j) {
      const double d = (j - (kReach - 1)) - frac;  // tap j is sample i - 5 + j
      const double sinc = std::sin(M_PI * d) / (M_PI * d);
      const double w =
          0.42 + 0.5 * std::cos(M_PI * d / kReach) + 0.08 * std::cos(2.0 * M_PI * d / kReach);
      sum += taps[j] = sinc * w;
    }
    float gain = 0;
    for (int j = 0; j < kTaps; ++j) {
      m_phase[p][j] = float(taps[j] / sum);
      gain += std::fabs(m_phase[p][j]);
    }
    m_maxGain = std::max(m_maxGain, gain);
  }
}

void LoudnessMeter::add(const float* frames, int count) {
  if (count <= 0) return;
  weigh(frames, count);
  // The window keeps the last kTaps frames of the previous block before the new ones.
  m_window.resize(2 * kTaps + 2 * std::size_t(count));
  std::copy(frames, frames + 2 * count, m_window.begin() + 2 * kTaps);
  scanPeaks();
}

void LoudnessMeter::weigh(const float* frames, int count) {
  const Biquad s = m_shelf, h = m_highPass;
  for (int i = 0; i < count;) {
    const int run = std::min(count - i, m_subBlockFrames - m_subBlockFill);
    // Both channels in one loop: four independent recurrences keep the processor busy.
    double sl[4], sr[4], sumL = 0, sumR = 0;
    std::copy(m_state[0], m_state[0] + 4, sl);
    std::copy(m_state[1], m_state[1] + 4, sr);
    auto step = [&](double x, double* st) {
      const double y = s.b0 * x + st[0];
      st[0] = s.b1 * x - s.a1 * y + st[1];
      st[1] = s.b2 * x - s.a2 * y;
      const double z = h.b0 * y + st[2];
      st[2] = h.b1 * y - h.a1 * z + st[3];
      st[3] = h.b2 * y - h.a2 * z;
      return z * z;
    };
    for (int n = i; n < i + run; ++n) {
      sumL += step(frames[2 * n], sl);
      sumR += step(frames[2 * n + 1], sr);
    }
    std::copy(sl, sl + 4, m_state[0]);
    std::copy(sr, sr + 4, m_state[1]);
    const double sum = sumL + sumR;
    m_subBlockSum += sum;
    m_subBlockFill += run;
    i += run;
    if (m_subBlockFill == m_subBlockFrames) {
      m_subBlocks.push_back(m_subBlockSum / m_subBlockFrames);
      m_subBlockFill = 0;
      m_subBlockSum = 0;
    }
  }
}

// Looks at the points between sample i and i + 1 for every new i whose reach is in the
// window: from kReach (the first not yet done) up to the last with kReach samples after it.
void LoudnessMeter::scanPeaks() {
  const int frames = int(m_window.size() / 2);
  const float* x = m_window.data();
  const int first = kTaps - kReach, last = frames - kReach;  // [first, last)
  for (int c0 = first; c0 < last; c0 += kChunk) {
    const int c1 = std::min(last, c0 + kChunk);
    float own = 0, around = 0;
    for (int i = 2 * c0; i < 2 * c1; ++i) own = std::max(own, std::fabs(x[i]));
    for (int i = 2 * (c0 - kReach + 1); i < 2 * (c1 + kReach); ++i)
      around = std::max(around, std::fabs(x[i]));
    m_peak = std::max(m_peak, own);
    if (around * m_maxGain <= m_peak) continue;
    for (int i = c0; i < c1; ++i) {
      const float* base = x + 2 * (i - kReach + 1);
      for (int p = 0; p < 3; ++p) {
        float l = 0, r = 0;
        for (int j = 0; j < kTaps; ++j) {
          l += m_phase[p][j] * base[2 * j];
          r += m_phase[p][j] * base[2 * j + 1];
        }
        m_peak = std::max(m_peak, std::max(std::fabs(l), std::fabs(r)));
      }
    }
  }
  // Keep the last kTaps frames: the next block's points start kReach frames before its own.
  std::copy(m_window.end() - 2 * kTaps, m_window.end(), m_window.begin());
  m_window.resize(2 * kTaps);
}

double LoudnessMeter::integratedLufs() const {
  if (m_subBlocks.size() < 4) return NAN;
  const double absoluteGate = std::pow(10.0, (kAbsoluteGateLufs - kOffset) / 10.0);
  std::vector<double> blocks;
  blocks.reserve(m_subBlocks.size());
  double sum = 0;
  for (std::size_t j = 0; j + 4 <= m_subBlocks.size(); ++j) {
    const double z =
        (m_subBlocks[j] + m_subBlocks[j + 1] + m_subBlocks[j + 2] + m_subBlocks[j + 3]) / 4.0;
    if (z > absoluteGate) {
      blocks.push_back(z);
      sum += z;
    }
  }
  if (blocks.empty()) return NAN;
  const double relativeGate = sum / double(blocks.size()) * std::pow(10.0, kRelativeGateLu / 10.0);
  double kept = 0;
  int n = 0;
  for (double z : blocks)
    if (z > relativeGate) kept += z, ++n;
  return n ? loudnessOf(kept / n) : NAN;
}

double LoudnessMeter::truePeakDbfs() {
  if (!m_flushed) {
    // The points after the last sample, against the silence that follows it.
    const std::vector<float> silence(2 * kReach, 0.0f);
    m_window.insert(m_window.end(), silence.begin(), silence.end());
    scanPeaks();
    m_flushed = true;
  }
  return m_peak > 0 ? 20.0 * std::log10(double(m_peak)) : NAN;
}

}  // namespace tracks
