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
  Mix mix;
  const float dry = param(DryMix), wet1 = param(Wet1), wet2 = param(Wet2), wet3 = param(Wet3);
  // Weights that add up to more than 1 could push a full-scale input over the top; they are
  // scaled down together (each side on its own), never up.
  const float left = std::max(1.0f, dry + wet1 + wet3), right = std::max(1.0f, dry + wet2 + wet3);
  mix.dryL = dry / left;
  mix.dryR = dry / right;
  mix.wet1 = wet1 / left;
  mix.wet2 = wet2 / right;
  mix.wet3L = wet3 / left;
  mix.wet3R = wet3 / right;
  mix.base = param(DelayMs) * 0.001 * m_rate;
  mix.depth = mix.base * param(Depth);
  const double step = 2.0 * M_PI * param(RateHz) / m_rate;
  // The sine is advanced by rotation, not by calling sin() per frame.
  mix.cosStep = std::cos(step);
  mix.sinStep = std::sin(step);
  double s = std::sin(m_phase), c = std::cos(m_phase);
  int done = 0;
  if (m_filled < kLineFrames) done = run<true>(x, frames, mix, s, c);
  if (done < frames) run<false>(x + std::size_t(done) * 2, frames - done, mix, s, c);
  m_phase = std::fmod(m_phase + step * frames, 2.0 * M_PI);
}

template <bool Filling>
int Chorus::run(float* x, int frames, const Mix& mix, double& s, double& c) {
  // The three taps are the same sine a third of a turn apart.
  const double k = std::sqrt(3.0) / 2.0;
  // The taps may read back to base + depth (+1 for the interpolation).
  const int reach = int(mix.base + std::fabs(mix.depth)) + 2;
  const float rampFrames = float(kFillRampMs * 0.001 * m_rate);
  // Locals, not reads through `mix`: the stores to x could alias its floats.
  float dryL = mix.dryL, dryR = mix.dryR, wet1 = mix.wet1, wet2 = mix.wet2;
  float wet3L = mix.wet3L, wet3R = mix.wet3R;
  const double base = mix.base, depth = mix.depth, cosStep = mix.cosStep, sinStep = mix.sinStep;
  for (int i = 0; i < frames; ++i) {
    if constexpr (Filling) {
      // The taps' share goes to the dry signal until they are all in.
      const float in = std::clamp(float(m_filled - reach) / rampFrames, 0.0f, 1.0f);
      if (in >= 1.0f) {
        m_filled = kLineFrames;
        return i;
      }
      ++m_filled;
      dryL = mix.dryL + (1.0f - in) * (mix.wet1 + mix.wet3L);
      dryR = mix.dryR + (1.0f - in) * (mix.wet2 + mix.wet3R);
      wet1 = mix.wet1 * in, wet2 = mix.wet2 * in, wet3L = mix.wet3L * in, wet3R = mix.wet3R * in;
    }
    m_line[0][std::size_t(m_write)] = x[2 * i];
    m_line[1][std::size_t(m_write)] = x[2 * i + 1];
    const double d1 = base + depth * s;
    const double d2 = base + depth * (-0.5 * s + k * c);
    const double d3 = base + depth * (-0.5 * s - k * c);
    x[2 * i] = dryL * x[2 * i] + wet1 * tap(0, d1) + wet3L * tap(0, d3);
    x[2 * i + 1] = dryR * x[2 * i + 1] + wet2 * tap(1, d2) + wet3R * tap(1, d3);
    m_write = (m_write + 1) & (kLineFrames - 1);
    const double ns = s * cosStep + c * sinStep;
    c = c * cosStep - s * sinStep;
    s = ns;
  }
  return frames;
}

}  // namespace sound
