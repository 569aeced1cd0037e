#include "Voice.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace sound {

namespace {
// The fastest sinc converter: clean varispeed at a fraction of the cost of the better ones.
constexpr int kConverter = SRC_SINC_FASTEST;
constexpr double kMaxRatio = 256.0;  // the converter's own limit, both ways
// Input the converter may read ahead of what it outputs.
constexpr int kLookahead = 128;
}  // namespace

Voice::Voice() : m_history(new std::atomic<float>[kHistoryFrames * 2]) {
  int error = 0;
  m_src = src_callback_new(&Voice::pullInput, kConverter, 2, &error, this);
  for (int i = 0; i < kHistoryFrames * 2; ++i) m_history[i].store(0.0f, std::memory_order_relaxed);
}

Voice::~Voice() {
  if (m_src) src_delete(m_src);
}

void Voice::start(Stream* stream, std::uint32_t epoch, float freq, float vol, float panValue,
                  bool startPaused) {
  m_stream = stream;
  frequency.store(freq, std::memory_order_relaxed);
  volume.store(vol, std::memory_order_relaxed);
  pan.store(panValue, std::memory_order_relaxed);
  paused.store(startPaused, std::memory_order_relaxed);
  wantEpoch.store(epoch, std::memory_order_relaxed);
  seenEpoch.store(0xFFFFFFFF, std::memory_order_relaxed);
  positionFrames.store(0.0, std::memory_order_relaxed);
  m_serial.fetch_add(1, std::memory_order_relaxed);
  state.store(Playing, std::memory_order_release);
}

bool Voice::stop() {
  int expected = Playing;
  return state.compare_exchange_strong(expected, Stopping, std::memory_order_acq_rel);
}

void Voice::acknowledgeStop() {
  m_holding = false;  // the block stays at the ring head; the next reader drops it by epoch
  state.store(Free, std::memory_order_release);
}

void Voice::syncWithStart() {
  const std::uint32_t serial = m_serial.load(std::memory_order_relaxed);
  if (serial == m_seenSerial) return;
  m_seenSerial = serial;
  m_epoch = wantEpoch.load(std::memory_order_relaxed) - 1;  // forces the epoch change below
  m_holding = false;
  m_lastGain[0] = m_lastGain[1] = 0.0f;  // a fresh start fades in over one block
}

void Voice::switchEpoch(std::uint32_t want) {
  if (want == m_epoch) return;
  m_epoch = want;
  m_holding = false;
  m_started = false;
  src_reset(m_src);
}

void Voice::dropStaleBlocks() {
  if (state.load(std::memory_order_acquire) != Playing || !m_stream) return;
  syncWithStart();
  // Switching here, before the inline decoder runs again, lets the first block after a
  // seek play from the new place instead of coming out silent.
  const std::uint32_t want = wantEpoch.load(std::memory_order_acquire);
  switchEpoch(want);
  BlockRing& ring = m_stream->ring();
  if (!m_holding)
    while (ring.readable() > 0 && ring.peek()->epoch != want) ring.pop();
}

long Voice::pullInput(void* self, float** data) {
  auto* v = static_cast<Voice*>(self);
  BlockRing& ring = v->m_stream->ring();
  if (v->m_holding) {
    ring.pop();
    v->m_holding = false;
  }
  while (ring.readable() > 0) {
    const AudioBlock* b = ring.peek();
    if (b->epoch != v->m_epoch || b->frames == 0) {
      const bool end = b->epoch == v->m_epoch;
      ring.pop();
      if (end) return 0;
      continue;
    }
    v->m_holding = true;
    *data = const_cast<float*>(b->samples);
    return b->frames;
  }
  return 0;
}

void Voice::render(float* mix, int frames, int outputRate) {
  const int st = state.load(std::memory_order_acquire);
  if (st == Stopping) {
    acknowledgeStop();
    return;
  }
  if (st != Playing || !m_src) return;
  syncWithStart();
  if (paused.load(std::memory_order_relaxed)) return;

  BlockRing& ring = m_stream->ring();
  const std::uint32_t want = wantEpoch.load(std::memory_order_acquire);
  switchEpoch(want);
  if (!m_holding)
    while (ring.readable() > 0 && ring.peek()->epoch != want) ring.pop();
  if (!m_started) {
    if (ring.readable() == 0) return;  // the decoder has not caught up with the seek yet
    m_position = double(ring.peek()->startFrame);
    m_started = true;
    positionFrames.store(m_position, std::memory_order_relaxed);
    seenEpoch.store(want, std::memory_order_release);
  }

  const double minFreq = outputRate / kMaxRatio, maxFreq = outputRate * 8.0;
  const double freq =
      std::clamp(double(frequency.load(std::memory_order_relaxed)), minFreq, maxFreq);
  const double ratio = outputRate / freq;
  frames = std::min(frames, kMaxFrames);
  // Never let the converter run dry in mid-stream: it would take that as the end.
  const double need = frames / ratio + kLookahead + AudioBlock::kFrames;
  const double have = double(ring.readable()) * AudioBlock::kFrames;
  if (have < need && !m_stream->endWritten(want)) return;

  const long got = src_callback_read(m_src, ratio, frames, m_buffer.data());
  const float vol = std::clamp(volume.load(std::memory_order_relaxed), 0.0f, 1.0f);
  const float p = std::clamp(pan.load(std::memory_order_relaxed), -1.0f, 1.0f);
  const float target[2] = {vol * std::min(1.0f, 1.0f - p), vol * std::min(1.0f, 1.0f + p)};
  const std::uint32_t write = m_historyWrite.load(std::memory_order_relaxed);
  // The gain glides from the last block's to this one's, so volume moves never click.
  float gain[2] = {m_lastGain[0], m_lastGain[1]};
  const float step[2] = {got ? (target[0] - gain[0]) / float(got) : 0.0f,
                         got ? (target[1] - gain[1]) / float(got) : 0.0f};
  for (long i = 0; i < got; ++i) {
    const std::uint32_t slot = ((write + std::uint32_t(i)) & (kHistoryFrames - 1)) * 2;
    for (int c = 0; c < 2; ++c) {
      gain[c] += step[c];
      const float s = m_buffer[std::size_t(2 * i + c)] * gain[c];
      mix[2 * i + c] += s;
      m_history[slot + std::uint32_t(c)].store(s, std::memory_order_relaxed);
    }
  }
  if (got > 0) {
    m_lastGain[0] = target[0];
    m_lastGain[1] = target[1];
    m_historyWrite.store(write + std::uint32_t(got), std::memory_order_release);
  }
  const double length = double(m_stream->lengthFrames());
  m_position += double(got) * freq / outputRate;
  if (length > 0 && m_position > length) m_position = length;
  positionFrames.store(m_position, std::memory_order_relaxed);
  if (got < frames) {
    int expected = Playing;
    state.compare_exchange_strong(expected, Ended, std::memory_order_acq_rel);
  }
}

void Voice::copyHistory(float* dest, int frames, int channel) const {
  const std::uint32_t end = m_historyWrite.load(std::memory_order_acquire);
  frames = std::min(frames, kHistoryFrames);
  for (int i = 0; i < frames; ++i) {
    const std::uint32_t idx = (end - std::uint32_t(frames) + std::uint32_t(i)) % kHistoryFrames;
    dest[i] = m_history[idx * 2 + std::uint32_t(channel)].load(std::memory_order_relaxed);
  }
}

}  // namespace sound
