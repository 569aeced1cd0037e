#include "MasterLimiter.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {
constexpr float kKnee = 1.0f - MasterLimiter::kThreshold;
// Anything beyond this is taken as damage, not signal (it is also what catches NaN, since
// every comparison with NaN is false).
constexpr float kMaxSane = 1e30f;

float finiteOrZero(float v) {
  return std::fabs(v) <= kMaxSane ? v : 0.0f;
}
}  // namespace

void MasterLimiter::prepare(int sampleRate) {
  const double rate = std::max(sampleRate, 1000);
  m_holdFrames = int(kHoldMs * 0.001 * rate);
  m_release = float(std::exp(-1.0 / (kReleaseMs * 0.001 * rate)));
  m_envelope = m_windowMax = m_lastWindowMax = 0.0f;
  m_gain = 1.0f;
  m_windowLeft = m_holdFrames;
}

bool MasterLimiter::passQuietBlock(const float* x, int frames) {
  // Most blocks are music under the threshold: one pass finds the block's peak (and counts
  // anything not at or below the threshold, NaN included), and the follower's state moves
  // on by the block in one step. Samples pass untouched, as the loop below would leave them.
  if (m_envelope > kThreshold) return false;
  float peak = 0.0f;
  int over = 0;
  for (int i = 0; i < frames * 2; ++i) {
    const float a = std::fabs(x[i]);
    peak = std::max(peak, a);
    over += !(a <= kThreshold);
  }
  if (over) return false;
  // The window that ends inside the block sees the block's peak too: a little early for the
  // frames after its end, which only ever makes the follower higher, never lower.
  m_windowMax = std::max(m_windowMax, peak);
  if (frames >= m_windowLeft) {
    m_lastWindowMax = m_windowMax;
    m_windowMax = peak;
    m_windowLeft += m_holdFrames;
  }
  m_windowLeft -= frames;
  const float held = std::max(m_windowMax, m_lastWindowMax);
  m_envelope =
      held >= m_envelope ? held : std::max(held, m_envelope * std::pow(m_release, float(frames)));
  m_gain = 1.0f;
  return true;
}

void MasterLimiter::process(float* x, int frames) {
  if (frames <= m_holdFrames && passQuietBlock(x, frames)) return;
  float envelope = m_envelope, gain = m_gain, windowMax = m_windowMax;
  float lastWindowMax = m_lastWindowMax;
  int windowLeft = m_windowLeft;
  for (int i = 0; i < frames; ++i) {
    float l = finiteOrZero(x[2 * i]), r = finiteOrZero(x[2 * i + 1]);
    const float peak = std::max(std::fabs(l), std::fabs(r));
    windowMax = std::max(windowMax, peak);
    if (--windowLeft == 0) {
      lastWindowMax = windowMax;
      windowMax = 0.0f;
      windowLeft = m_holdFrames;
    }
    const float held = std::max(windowMax, lastWindowMax);
    envelope = held >= envelope ? held : std::max(held, envelope * m_release);
    if (envelope > kThreshold) {
      const float u = (envelope - kThreshold) / kKnee;
      gain = (kThreshold + kKnee * u / (1.0f + u)) / envelope;
      // The knee keeps |sample| x gain below 1; the clamp only absorbs float rounding.
      l = std::clamp(l * gain, -1.0f, 1.0f);
      r = std::clamp(r * gain, -1.0f, 1.0f);
    } else {
      gain = 1.0f;
    }
    x[2 * i] = l;
    x[2 * i + 1] = r;
  }
  m_envelope = envelope;
  m_gain = gain;
  m_windowMax = windowMax;
  m_lastWindowMax = lastWindowMax;
  m_windowLeft = windowLeft;
}

}  // namespace sound
