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
  mix.cos4 = std::cos(4 * step);
  mix.sin4 = std::sin(4 * step);
  double s = std::sin(m_phase), c = std::cos(m_phase);
  int done = 0;
  if (m_filled < kLineFrames) done = run<true>(x, frames, mix, s, c);
  while (done < frames) {
    const int n = std::min(frames - done, kChunk);
    runChunk(x + std::size_t(done) * 2, n, mix, s, c);
    done += n;
  }
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

// The same as run<false>, in stages over a chunk, each a loop the compiler can vectorise
// but the delay line's reads: the chunk's input goes into the line first (a tap never reads
// ahead of the frame it is for), then come the delays, the places they read, and the mix.
void Chorus::runChunk(float* x, int frames, const Mix& mix, double& s, double& c) {
  const double k = std::sqrt(3.0) / 2.0;
  const double base = mix.base, depth = mix.depth, cosStep = mix.cosStep, sinStep = mix.sinStep;
  constexpr int kMask = kLineFrames - 1;
  float* left = m_line[0].data();
  float* right = m_line[1].data();
  for (int i = 0; i < frames; ++i) {
    left[(m_write + i) & kMask] = x[2 * i];
    right[(m_write + i) & kMask] = x[2 * i + 1];
  }
  // The sine as four rotations a quarter of the way apart, each stepping four frames at a
  // time: four short chains of arithmetic instead of one long one.
  double sv[4], cv[4];
  sv[0] = s, cv[0] = c;
  for (int j = 1; j < 4; ++j) {
    sv[j] = sv[j - 1] * cosStep + cv[j - 1] * sinStep;
    cv[j] = cv[j - 1] * cosStep - sv[j - 1] * sinStep;
  }
  double d[3][kChunk];
  for (int i = 0; i < frames; i += 4)
    for (int j = 0; j < 4; ++j) {
      d[0][i + j] = base + depth * sv[j];
      d[1][i + j] = base + depth * (-0.5 * sv[j] + k * cv[j]);
      d[2][i + j] = base + depth * (-0.5 * sv[j] - k * cv[j]);
      const double ns = sv[j] * mix.cos4 + cv[j] * mix.sin4;
      cv[j] = cv[j] * mix.cos4 - sv[j] * mix.sin4;
      sv[j] = ns;
    }
  // Rotation j has reached frame `frames` when frames - j is a multiple of four.
  s = sv[frames % 4], c = cv[frames % 4];
  // Taps 0 and 1 read the left line at the first and third delays, 2 and 3 the right one
  // at the second and third.
  int at[4][kChunk];
  float frac[4][kChunk];
  const int which[4] = {0, 2, 1, 2};  // the delay each tap reads at
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < frames; ++i) {
      const double pos = double(((m_write + i) & kMask) + kLineFrames) - d[which[t]][i];
      const int whole = int(pos);
      at[t][i] = whole;
      frac[t][i] = float(pos - whole);
    }
  float tap[4][kChunk];
  for (int t = 0; t < 4; ++t) {
    const float* line = t < 2 ? left : right;
    for (int i = 0; i < frames; ++i) {
      const float a = line[at[t][i] & kMask], b = line[(at[t][i] + 1) & kMask];
      tap[t][i] = a + (b - a) * frac[t][i];
    }
  }
  const float dryL = mix.dryL, dryR = mix.dryR, wet1 = mix.wet1, wet2 = mix.wet2;
  const float wet3L = mix.wet3L, wet3R = mix.wet3R;
  for (int i = 0; i < frames; ++i) {
    x[2 * i] = dryL * x[2 * i] + wet1 * tap[0][i] + wet3L * tap[1][i];
    x[2 * i + 1] = dryR * x[2 * i + 1] + wet2 * tap[2][i] + wet3R * tap[3][i];
  }
  m_write = (m_write + frames) & kMask;
}

}  // namespace sound
