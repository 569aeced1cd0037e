#include "Chorus.h"

#include <algorithm>
#include <cmath>

namespace sound {

Chorus::Chorus() {
  const float defaults[] = {0.5f, 0.5f, 0.5f, 0.5f, 40.0f, 0.8f, 0.03f};
  for (int i = 0; i < 7; ++i) initParameter(i, defaults[i]);
  for (auto& line : m_line) line.assign(kLineFrames, 0.0f);  // the one allocation
}

float Chorus::clampParameter(int index, float value) const {
  switch (index) {
    case DelayMs:
      return std::clamp(value, 0.1f, 100.0f);
    case RateHz:
      return std::clamp(value, 0.0f, 20.0f);
    default:
      return std::clamp(value, 0.0f, 1.0f);
  }
}

void Chorus::prepare(int sampleRate) {
  m_rate = std::clamp(sampleRate, 8000, kMaxRate);
  reset();
}

void Chorus::reset() {
  m_filled = 0;
  m_phase = 0.0;
}

float Chorus::tap(int channel, double delayFrames) const {
  const float* line = m_line[channel].data();
  const double pos = double(m_write + kLineFrames) - delayFrames;
  const int whole = int(pos);
  const float frac = float(pos - whole);
  const float a = line[whole & (kLineFrames - 1)], b = line[(whole + 1) & (kLineFrames - 1)];
  return a + (b - a) * frac;
}

void Chorus::process(float* x, int frames) {
  const float dry = param(DryMix);
  float wet1 = param(Wet1), wet2 = param(Wet2), wet3 = param(Wet3);
  // Weights that add up to more than 1 could push a full-scale input over the top; they are
  // scaled down together (each side on its own), never up.
  const float left = std::max(1.0f, dry + wet1 + wet3), right = std::max(1.0f, dry + wet2 + wet3);
  const float dryL = dry / left, dryR = dry / right, wet3L = wet3 / left, wet3R = wet3 / right;
  wet1 /= left;
  wet2 /= right;
  const double base = param(DelayMs) * 0.001 * m_rate;
  const double depth = base * param(Depth);
  const double step = 2.0 * M_PI * param(RateHz) / m_rate;
  // The sine is advanced by rotation, not by calling sin() per frame; the three taps are
  // the same sine a third of a turn apart.
  const double cosStep = std::cos(step), sinStep = std::sin(step);
  double s = std::sin(m_phase), c = std::cos(m_phase);
  const double k = std::sqrt(3.0) / 2.0;
  // The taps may read back to base + depth (+1 for the interpolation).
  const int reach = int(base + std::fabs(depth)) + 2;
  const float rampFrames = float(kFillRampMs * 0.001 * m_rate);
  for (int i = 0; i < frames; ++i) {
    m_line[0][std::size_t(m_write)] = x[2 * i];
    m_line[1][std::size_t(m_write)] = x[2 * i + 1];
    float in = 1.0f;  // how far the taps are in
    if (m_filled < kLineFrames) {
      in = std::clamp(float(m_filled - reach) / rampFrames, 0.0f, 1.0f);
      ++m_filled;
    }
    const float out = 1.0f - in;
    const double d1 = base + depth * s;
    const double d2 = base + depth * (-0.5 * s + k * c);
    const double d3 = base + depth * (-0.5 * s - k * c);
    const float w1 = wet1 * in, w2 = wet2 * in, w3L = wet3L * in, w3R = wet3R * in;
    x[2 * i] = (dryL + out * (wet1 + wet3L)) * x[2 * i] + w1 * tap(0, d1) + w3L * tap(0, d3);
    x[2 * i + 1] =
        (dryR + out * (wet2 + wet3R)) * x[2 * i + 1] + w2 * tap(1, d2) + w3R * tap(1, d3);
    m_write = (m_write + 1) & (kLineFrames - 1);
    const double ns = s * cosStep + c * sinStep;
    c = c * cosStep - s * sinStep;
    s = ns;
  }
  m_phase = std::fmod(m_phase + step * frames, 2.0 * M_PI);
}

}  // namespace sound
