#include "Mixer.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

#include "DriftFollower.h"
#include "DspUnit.h"
#include "ParametricEq.h"

namespace sound {

Mixer::Mixer(int voices, int sampleRate)
    : m_rate(sampleRate), m_fadeStep(float(1000.0 / (kFadeMs * sampleRate))) {
  for (int i = 0; i < voices; ++i) m_voices.push_back(std::make_unique<Voice>());
  m_limiter.prepare(sampleRate);
  m_cueLimiter.prepare(sampleRate);
}

void Mixer::applyMessages() {
  Message m;
  while (m_messages.pop(m)) {
    Slot* end = m_chain.data() + m_chainSize;
    Slot* found =
        std::find_if(m_chain.data(), end, [&](const Slot& s) { return s.unit == m.unit; });
    if (m.add && found != end) {
      found->leaving = false;  // back before it had faded out: it fades in from where it is
    } else if (m.add && m_chainSize < kMaxUnits) {
      m.unit->prepare(m_rate);
      m_chain[std::size_t(m_chainSize++)] = Slot{m.unit, 0.0f, false, false};
    } else if (!m.add && found != end) {
      found->leaving = true;
    }
  }
}

void Mixer::dropStaleBlocks() {
  for (auto& v : m_voices) v->dropStaleBlocks();
}

void Mixer::runFading(Slot& slot, float target, float* block, int frames) {
  if (slot.skipped) slot.unit->reset();  // back from bypass: nothing of the past replays
  slot.skipped = false;
  std::memcpy(m_dry.data(), block, std::size_t(frames) * 2 * sizeof(float));
  slot.unit->process(block, frames);
  const float step = target > slot.wet ? m_fadeStep : -m_fadeStep;
  float wet = slot.wet;
  for (int i = 0; i < frames; ++i) {
    wet = step > 0 ? std::min(wet + step, target) : std::max(wet + step, target);
    for (int c = 0; c < 2; ++c) {
      const float dry = m_dry[std::size_t(2 * i + c)];
      block[2 * i + c] = dry + (block[2 * i + c] - dry) * wet;
    }
  }
  slot.wet = wet;
}

void Mixer::runChain(float* block, int frames) {
  auto steady = [](const Slot& s) { return !s.leaving && !s.unit->bypassed() && s.wet == 1.0f; };
  for (int u = 0; u < m_chainSize;) {
    Slot& slot = m_chain[std::size_t(u)];
    const float target = slot.leaving || slot.unit->bypassed() ? 0.0f : 1.0f;
    if (slot.wet == target && target == 1.0f) {
      // Equaliser bands in a row, all heard in full, run together.
      std::array<ParametricEq*, ParametricEq::kMaxBands> bands;
      int count = 0;
      for (int v = u; v < m_chainSize && count < ParametricEq::kMaxBands; ++v) {
        ParametricEq* band = m_chain[std::size_t(v)].unit->band();
        if (!band || (v > u && !steady(m_chain[std::size_t(v)]))) break;
        bands[std::size_t(count++)] = band;
      }
      if (count > 0) {
        ParametricEq::processBands(bands.data(), count, block, frames);
        u += count;
        continue;
      }
      slot.unit->process(block, frames);
    } else if (slot.wet == target) {
      slot.skipped = true;  // skipped outright, so its input passes bit for bit
    } else {
      runFading(slot, target, block, frames);
    }
    ++u;
  }
  // Units that have faded out on their way out leave the chain; the order of the rest stays.
  Slot* end = m_chain.data() + m_chainSize;
  Slot* kept =
      std::remove_if(m_chain.data(), end, [](const Slot& s) { return s.leaving && s.wet == 0.0f; });
  m_chainSize = int(kept - m_chain.data());
}

void Mixer::mixHeadphones(const float* master, int frames) {
  const float mixTo = std::clamp(headMix.load(std::memory_order_relaxed), 0.0f, 1.0f);
  const float levelTo = std::clamp(headLevel.load(std::memory_order_relaxed), 0.0f, 1.0f);
  const float mixStep = (mixTo - m_lastHeadMix) / float(frames);
  const float levelStep = (levelTo - m_lastHeadLevel) / float(frames);
  float m = m_lastHeadMix, g = m_lastHeadLevel;
  for (int i = 0; i < frames; ++i) {
    m += mixStep;
    g += levelStep;
    for (int c = 0; c < 2; ++c) {
      float& x = m_cue[std::size_t(2 * i + c)];
      x = (x + (master[2 * i + c] - x) * m) * g;
    }
  }
  m_lastHeadMix = mixTo;
  m_lastHeadLevel = levelTo;
  m_cueLimiter.process(m_cue.data(), frames);
}

void Mixer::splitSides(float* block, const float* head, int frames, bool swap) {
  const int room = swap ? 1 : 0;
  for (int i = 0; i < frames; ++i) {
    const float l = 0.5f * (block[2 * i] + block[2 * i + 1]);
    const float r = 0.5f * (head[2 * i] + head[2 * i + 1]);
    block[2 * i + room] = l;
    block[2 * i + 1 - room] = r;
  }
}

void Mixer::mix(float* out, int frames, float* cue) {
#if defined(__SSE__) || defined(__x86_64__)
  // Flush denormals to zero: decaying filter tails must not slow the callback down.
  _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
  applyMessages();
  std::memset(out, 0, std::size_t(frames) * 2 * sizeof(float));
  DriftFollower* sink = cueDevice.load(std::memory_order_relaxed) ? m_cueSink : nullptr;
  for (int done = 0; done < frames;) {
    const int n = std::min(frames - done, Voice::kMaxFrames);
    float* block = out + std::size_t(done) * 2;
    std::memset(m_cue.data(), 0, std::size_t(n) * 2 * sizeof(float));
    for (auto& v : m_voices) v->render(block, m_cue.data(), n, m_rate);
    runChain(block, n);
    m_limiter.process(block, n);
    record.push(block, n);
    const bool sides = split.load(std::memory_order_relaxed);
    if (sides || cue || sink) {
      mixHeadphones(block, n);
      if (sink) sink->write(m_cue.data(), n);
      if (cue)
        std::memcpy(cue + std::size_t(done) * 2, m_cue.data(), std::size_t(n) * 2 * sizeof(float));
      if (sides) splitSides(block, m_cue.data(), n, swapSides.load(std::memory_order_relaxed));
    }
    done += n;
  }
}

}  // namespace sound
