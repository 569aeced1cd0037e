#include "Mixer.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

#include "DspUnit.h"

namespace sound {

Mixer::Mixer(int voices, int sampleRate) : m_rate(sampleRate) {
  for (int i = 0; i < voices; ++i) m_voices.push_back(std::make_unique<Voice>());
}

void Mixer::applyMessages() {
  Message m;
  while (m_messages.pop(m)) {
    DspUnit** end = m_chain.data() + m_chainSize;
    DspUnit** found = std::find(m_chain.data(), end, m.unit);
    if (m.add && found == end && m_chainSize < kMaxUnits) {
      m.unit->prepare(m_rate);
      m_chain[std::size_t(m_chainSize++)] = m.unit;
    } else if (!m.add && found != end) {
      std::copy(found + 1, end, found);
      --m_chainSize;
    }
  }
}

void Mixer::dropStaleBlocks() {
  for (auto& v : m_voices) v->dropStaleBlocks();
}

void Mixer::mix(float* out, int frames) {
#if defined(__SSE__) || defined(__x86_64__)
  // Flush denormals to zero: decaying filter tails must not slow the callback down.
  _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
  applyMessages();
  std::memset(out, 0, std::size_t(frames) * 2 * sizeof(float));
  for (int done = 0; done < frames;) {
    const int n = std::min(frames - done, Voice::kMaxFrames);
    float* block = out + std::size_t(done) * 2;
    for (auto& v : m_voices) v->render(block, n, m_rate);
    for (int u = 0; u < m_chainSize; ++u) m_chain[std::size_t(u)]->process(block, n);
    done += n;
  }
}

}  // namespace sound
