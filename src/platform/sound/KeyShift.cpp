#include "KeyShift.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>

namespace sound {

using Stretcher = RubberBand::RubberBandStretcher;

namespace {
constexpr Stretcher::Options kOptions =
    Stretcher::OptionProcessRealTime | Stretcher::OptionEngineFiner;
constexpr std::size_t kMaxFeed = 4096;  // frames handed to the stretcher at once, at most
const float kSilence[AudioBlock::kFrames * 2] = {};
}  // namespace

KeyShift::KeyShift(int sampleRate) : m_rate(sampleRate) {}
KeyShift::~KeyShift() = default;

bool KeyShift::step(BlockRing& ring, bool on, double pitchScale, std::uint32_t epoch) {
  if (!m_running) {
    if (!on || !begin(ring, epoch, pitchScale)) return false;
  }
  if (!on) m_stopping = true;
  const std::size_t head = ring.head(), tail = ring.tail();
  // A seek, or the reader went past the blocks being worked on: start again from where the
  // reader is, fading in again.
  if (m_epoch != epoch || m_write < tail) {
    m_running = false;
    return true;
  }
  if (m_write < head) {
    AudioBlock& next = *ring.at(m_write);
    if (m_out.size() / 2 >= std::size_t(next.frames)) {
      if (m_write >= tail + kAhead) return false;  // far enough ahead of the reader
      write(next);
      ++m_write;
      if (m_stopping || next.endOfStream) m_running = false;
      return true;
    }
  }
  if (m_fedEnd) {
    // Past the end, silence pushes the last frames through the stretcher.
    feed(kSilence, AudioBlock::kFrames);
    return true;
  }
  if (m_feed >= head) return false;  // waiting for the decoder
  const AudioBlock& in = *ring.at(m_feed);
  if (in.epoch != m_epoch || in.startFrame != m_nextFrame) {
    m_running = false;
    return true;
  }
  if (pitchScale != m_scale) {
    m_scale = pitchScale;
    m_stretcher->setPitchScale(m_scale);
  }
  feed(in.samples, in.frames);
  m_nextFrame += in.frames;
  m_fedEnd = in.endOfStream;
  ++m_feed;
  return true;
}

// Starts a run at the first block of the latest seek that the reader has not looked at yet.
bool KeyShift::begin(BlockRing& ring, std::uint32_t epoch, double pitchScale) {
  const std::size_t head = ring.head();
  std::size_t n = ring.tail();
  while (n < head && (ring.at(n)->epoch != epoch ||
                      ring.at(n)->take.load(std::memory_order_acquire) != AudioBlock::Open))
    ++n;
  if (n >= head) return false;
  m_scale = pitchScale;
  if (!m_stretcher) {
    m_stretcher = std::make_unique<Stretcher>(std::size_t(m_rate), 2, kOptions, 1.0, m_scale);
    m_stretcher->setMaxProcessSize(kMaxFeed);
  } else {
    m_stretcher->reset();
    m_stretcher->setPitchScale(m_scale);
  }
  m_running = true;
  m_stopping = false;
  m_fadeIn = true;
  m_fedEnd = false;
  m_epoch = epoch;
  m_write = m_feed = n;
  m_nextFrame = ring.at(n)->startFrame;
  m_out.clear();
  prime(ring, *ring.at(n));
  return true;
}

// The stretcher starts on the frames before the run's first block (silence where the ring
// no longer has them or the seek began there), and its delay is dropped from its output:
// from then on its output frame i is its input frame i, shifted.
void KeyShift::prime(BlockRing& ring, const AudioBlock& first) {
  const std::size_t pad = m_stretcher->getPreferredStartPad();
  std::vector<float> frames(pad * 2, 0.0f);
  const std::size_t head = ring.head();
  const std::size_t oldest = head > ring.capacity() ? head - ring.capacity() : 0;
  std::size_t filled = 0;
  std::int64_t before = first.startFrame;
  for (std::size_t n = m_write; n > oldest && filled < pad; --n) {
    const AudioBlock& b = *ring.at(n - 1);
    if (b.epoch != first.epoch || b.startFrame + b.frames != before) break;
    const std::size_t take = std::min(pad - filled, std::size_t(b.frames));
    std::copy_n(b.samples + (std::size_t(b.frames) - take) * 2, take * 2,
                frames.data() + (pad - filled - take) * 2);
    filled += take;
    before = b.startFrame;
  }
  m_drop = m_stretcher->getStartDelay();
  feed(frames.data(), int(pad));
}

void KeyShift::feed(const float* frames, int count) {
  for (int done = 0; done < count;) {
    const int n = std::min(count - done, int(kMaxFeed));
    m_left.resize(std::size_t(n));
    m_right.resize(std::size_t(n));
    for (int i = 0; i < n; ++i) {
      m_left[std::size_t(i)] = frames[2 * (done + i)];
      m_right[std::size_t(i)] = frames[2 * (done + i) + 1];
    }
    const float* in[2] = {m_left.data(), m_right.data()};
    m_stretcher->process(in, std::size_t(n), false);
    done += n;
    collect();
  }
}

void KeyShift::collect() {
  for (int ready; (ready = m_stretcher->available()) > 0;) {
    m_left.resize(std::size_t(ready));
    m_right.resize(std::size_t(ready));
    float* out[2] = {m_left.data(), m_right.data()};
    const std::size_t got = m_stretcher->retrieve(out, std::size_t(ready));
    const std::size_t skip = std::min(got, m_drop);
    m_drop -= skip;
    for (std::size_t i = skip; i < got; ++i) {
      m_out.push_back(m_left[i]);
      m_out.push_back(m_right[i]);
    }
  }
}

void KeyShift::write(AudioBlock& block) {
  const auto n = std::size_t(block.frames);
  if (m_fadeIn && m_stopping) {
    // Turned off before any of the run was heard: the block stays as decoded.
    m_out.erase(m_out.begin(), m_out.begin() + std::ptrdiff_t(n * 2));
    return;
  }
  std::copy_n(m_out.begin(), n * 2, block.shifted);
  m_out.erase(m_out.begin(), m_out.begin() + std::ptrdiff_t(n * 2));
  if (m_fadeIn || m_stopping) {
    for (std::size_t i = 0; i < n; ++i) {
      float w = std::min(1.0f, float(i + 1) / float(kFadeFrames));  // of the shifted frames
      if (m_stopping) w = 1.0f - w;
      for (std::size_t k = 2 * i; k < 2 * i + 2; ++k)
        block.shifted[k] = block.samples[k] + (block.shifted[k] - block.samples[k]) * w;
    }
  }
  int open = AudioBlock::Open;
  // Lost to the reader: it plays this block as decoded, so the next one fades in again.
  m_fadeIn =
      !block.take.compare_exchange_strong(open, AudioBlock::Shifted, std::memory_order_acq_rel);
}

}  // namespace sound
