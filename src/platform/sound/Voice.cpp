#include "Voice.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace sound {

namespace {
constexpr double kMaxRatio = 256.0;  // the slowest a voice plays is 1/256 of its rate
// Input the converter may read ahead of what it outputs.
constexpr int kLookahead = 128;
// Input the converter is run over before it is heard, when it takes over from the copy:
// more than the reach of its filter at any ratio it glides through at first.
constexpr int kPrimeFrames = 128;
constexpr int kFadeFrames = 256;  // one path fading into the other
// How close to 1 the converter's ratio must have come before the copy takes over.
constexpr double kSettledRatio = 1e-6;
// Under key lock, how many calls a start or a seek waits for the decoding side to shift its
// first block, so it is not heard at the wrong pitch for a moment; then it plays anyway.
constexpr int kKeyLockWaits = 16;
constexpr int kJoinFrames = 256;  // a decoded block joining a shifted one
}  // namespace

Voice::Voice() : m_history(new std::atomic<float>[kHistoryFrames * 2]) {
  for (int i = 0; i < kHistoryFrames * 2; ++i) m_history[i].store(0.0f, std::memory_order_relaxed);
}

Voice::~Voice() = default;

void Voice::start(Stream* stream, std::uint32_t epoch, float freq, float vol, float panValue,
                  bool startPaused, bool master, bool cue, float gain) {
  m_stream = stream;
  streamGain.store(gain, std::memory_order_relaxed);
  toMaster.store(master, std::memory_order_relaxed);
  toCue.store(cue, std::memory_order_relaxed);
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
  // Blocks stay in the ring; the next reader drops them by epoch.
  m_lent = 0;
  state.store(Free, std::memory_order_release);
}

void Voice::syncWithStart() {
  const std::uint32_t serial = m_serial.load(std::memory_order_relaxed);
  if (serial == m_seenSerial) return;
  m_seenSerial = serial;
  m_epoch = wantEpoch.load(std::memory_order_relaxed) - 1;  // forces the epoch change below
  m_lent = 0;
  m_lastGain[0] = m_lastGain[1] = 0.0f;  // a fresh start fades in over one block
  m_lastCue = 0.0f;
}

void Voice::switchEpoch(std::uint32_t want) {
  if (want == m_epoch) return;
  m_epoch = want;
  m_lent = 0;
  m_started = false;
  m_keyLockWaits = 0;
  m_seenEnd = m_joinStart = -1;
  m_lastShifted = false;
  m_converter.reset();
}

void Voice::dropStaleBlocks() {
  if (state.load(std::memory_order_acquire) != Playing || !m_stream) return;
  syncWithStart();
  // Switching here, before the inline decoder runs again, lets the first block after a
  // seek play from the new place instead of coming out silent.
  const std::uint32_t want = wantEpoch.load(std::memory_order_acquire);
  switchEpoch(want);
  BlockRing& ring = m_stream->ring();
  while (ring.readable() > 0 && ring.peek()->epoch != want) ring.pop();
}

long Voice::pullInput(void* self, float** data) {
  auto* v = static_cast<Voice*>(self);
  const BlockRing& ring = v->m_stream->ring();
  while (v->m_lent < ring.readable()) {
    const AudioBlock* b = ring.peek(v->m_lent);
    if (b->epoch != v->m_epoch) return 0;  // a later seek's: nothing more of this one
    ++v->m_lent;
    const auto skip = int(std::clamp<std::int64_t>(v->m_pullFrom - b->startFrame, 0, b->frames));
    if (skip < b->frames) {
      *data = const_cast<float*>(v->framesOf(b)) + std::size_t(skip) * 2;
      return b->frames - skip;
    }
    if (b->endOfStream) return 0;
  }
  return 0;
}

// The frames to play of a block; both paths read the blocks in order, so the first call for
// a block is its first look.
const float* Voice::framesOf(const AudioBlock* b) {
  const float* frames = b->play();
  if (b->startFrame == m_joinStart) return m_join.data();
  if (b->frames == 0 || b->startFrame + b->frames <= m_seenEnd) return frames;
  const bool shifted = frames == b->shifted;
  if (!shifted && m_lastShifted && b->startFrame == m_seenEnd) {
    const float step[2] = {m_lastFrame[0] - frames[0], m_lastFrame[1] - frames[1]};
    std::copy_n(frames, std::size_t(b->frames) * 2, m_join.begin());
    for (int i = 0, n = std::min(kJoinFrames, b->frames); i < n; ++i) {
      const float w = 1.0f - float(i) / float(kJoinFrames);
      m_join[std::size_t(2 * i)] += step[0] * w;
      m_join[std::size_t(2 * i + 1)] += step[1] * w;
    }
    m_joinStart = b->startFrame;
    frames = m_join.data();
  }
  m_lastShifted = shifted;
  m_lastFrame[0] = frames[2 * (b->frames - 1)];
  m_lastFrame[1] = frames[2 * (b->frames - 1) + 1];
  m_seenEnd = b->startFrame + b->frames;
  return frames;
}

// The end of the input the ring holds for this epoch, in frames of the stream.
std::int64_t Voice::inputEnd() const {
  const BlockRing& ring = m_stream->ring();
  std::int64_t end = 0;
  for (std::size_t i = 0, n = ring.readable(); i < n; ++i) {
    const AudioBlock* b = ring.peek(i);
    if (b->epoch != m_epoch) break;
    end = b->startFrame + b->frames;
  }
  return end;
}

int Voice::copyInput(float* out, int frames) {
  const BlockRing& ring = m_stream->ring();
  int done = 0;
  for (std::size_t i = 0, n = ring.readable(); i < n && done < frames; ++i) {
    const AudioBlock* b = ring.peek(i);
    if (b->epoch != m_epoch) break;
    const std::int64_t from = m_copyFrom - b->startFrame;
    if (from >= b->frames) {
      if (b->endOfStream) break;
      continue;
    }
    const int take = std::min(frames - done, b->frames - int(from));
    std::copy_n(framesOf(b) + from * 2, take * 2, out + std::size_t(done) * 2);
    done += take;
    m_copyFrom += take;
    if (b->endOfStream && from + take == b->frames) break;
  }
  return done;
}

long Voice::convert(float* out, int frames, double ratio) {
  const long got = m_converter.read(ratio, frames, out);
  m_srcPosition = double(m_pullFrom) + m_converter.position();
  m_srcRatio = m_converter.ratio();
  return got;
}

// The converter takes over at frame `at`: it starts a little before, on what the copy
// played, and what it makes of that is thrown away, so its filter is full when it is heard.
void Voice::startConverter(std::int64_t at) {
  m_converter.reset();
  m_lent = 0;
  m_srcRatio = 0.0;
  const BlockRing& ring = m_stream->ring();
  const std::int64_t oldest = ring.readable() > 0 ? ring.peek()->startFrame : at;
  const std::int64_t first = std::clamp(at - kPrimeFrames, oldest, at);
  m_pullFrom = first;
  m_srcPosition = double(first);
  if (at > first) convert(m_fadeBuffer.data(), int(at - first), 1.0);
}

void Voice::choosePath(bool copy) {
  if (m_fadeLeft > 0 || copy == m_copying) return;
  if (!copy) {
    startConverter(m_copyFrom);
  } else {
    // The converter first settles on a ratio of 1 (it glides there), then hands over.
    if (std::fabs(m_srcRatio - 1.0) > kSettledRatio) return;
    m_copyFrom = std::llround(m_srcPosition);
  }
  m_copying = copy;
  m_fadeLeft = kFadeFrames;
}

// Drops the blocks both paths have passed, less kPrimeFrames kept for the converter to
// start on, and never the block the converter was handed last: it may still read it.
void Voice::releaseBlocks() {
  const bool converting = !m_copying || m_fadeLeft > 0;
  const bool copying = m_copying || m_fadeLeft > 0;
  std::int64_t keep = INT64_MAX;
  if (copying) keep = m_copyFrom - kPrimeFrames;
  if (converting) keep = std::min(keep, std::int64_t(m_srcPosition) - kPrimeFrames);
  if (!converting) m_lent = 0;
  BlockRing& ring = m_stream->ring();
  while (ring.readable() > 0 && (!converting || m_lent >= 2)) {
    const AudioBlock* b = ring.peek();
    if (b->epoch != m_epoch || b->startFrame + b->frames > keep) break;
    ring.pop();
    if (converting) --m_lent;
  }
}

void Voice::render(float* mix, float* cue, int frames, int outputRate) {
  const int st = state.load(std::memory_order_acquire);
  if (st == Stopping) {
    acknowledgeStop();
    return;
  }
  if (st != Playing) return;
  syncWithStart();
  if (paused.load(std::memory_order_relaxed)) return;

  BlockRing& ring = m_stream->ring();
  const std::uint32_t want = wantEpoch.load(std::memory_order_acquire);
  switchEpoch(want);
  while (ring.readable() > 0 && ring.peek()->epoch != want) ring.pop();
  const double minFreq = outputRate / kMaxRatio, maxFreq = outputRate * 8.0;
  const double freq =
      std::clamp(double(frequency.load(std::memory_order_relaxed)), minFreq, maxFreq);
  const double ratio = outputRate / freq;
  const bool copy = ratio == 1.0;
  if (!m_started) {
    if (ring.readable() == 0) return;  // the decoder has not caught up with the seek yet
    if (m_stream->keyLocked() && m_keyLockWaits < kKeyLockWaits &&
        ring.peek()->take.load(std::memory_order_acquire) == AudioBlock::Open) {
      ++m_keyLockWaits;
      return;
    }
    const std::int64_t first = ring.peek()->startFrame;
    m_position = double(first);
    m_started = true;
    m_copying = copy;
    m_fadeLeft = 0;
    m_copyFrom = m_pullFrom = first;
    m_srcPosition = double(first);
    m_srcRatio = 0.0;
    positionFrames.store(m_position, std::memory_order_relaxed);
    seenEpoch.store(want, std::memory_order_release);
  }

  frames = std::min(frames, kMaxFrames);
  // Never let the converter run dry in mid-stream: it would take that as the end.
  double from = m_copying ? double(m_copyFrom) : m_srcPosition;
  if (m_fadeLeft > 0) from = std::min(double(m_copyFrom), m_srcPosition);
  const double need = m_copying && m_fadeLeft == 0 && copy
                          ? frames
                          : frames / std::min(ratio, 1.0) + kLookahead + AudioBlock::kFrames;
  if (double(inputEnd()) - from < need && !m_stream->endWritten(want)) return;
  choosePath(copy);

  long got = 0;
  if (m_fadeLeft == 0) {
    got = m_copying ? copyInput(m_buffer.data(), frames) : convert(m_buffer.data(), frames, ratio);
  } else {
    // The path coming in goes to m_buffer, the one going out to m_fadeBuffer.
    const long out = m_copying ? convert(m_fadeBuffer.data(), frames, ratio)
                               : copyInput(m_fadeBuffer.data(), frames);
    got = m_copying ? copyInput(m_buffer.data(), frames) : convert(m_buffer.data(), frames, ratio);
    if (out < got) std::fill(m_fadeBuffer.begin() + out * 2, m_fadeBuffer.begin() + got * 2, 0.0f);
    for (long i = 0; i < got; ++i) {
      const float w = std::min(1.0f, float(kFadeFrames - m_fadeLeft + i + 1) / kFadeFrames);
      for (std::size_t k = std::size_t(2 * i); k < std::size_t(2 * i + 2); ++k)
        m_buffer[k] = m_fadeBuffer[k] + (m_buffer[k] - m_fadeBuffer[k]) * w;
    }
    m_fadeLeft = std::max(0, m_fadeLeft - int(got));
  }
  const float level = streamGain.load(std::memory_order_relaxed);
  const float vol = toMaster.load(std::memory_order_relaxed)
                        ? std::clamp(volume.load(std::memory_order_relaxed), 0.0f, 1.0f) * level
                        : 0.0f;
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
  // The cue send: the same frames at full level (centred), gliding in and out.
  const float cueTarget = toCue.load(std::memory_order_relaxed) ? level : 0.0f;
  if (cue && got > 0 && (cueTarget != 0.0f || m_lastCue != 0.0f)) {
    const float cueStep = (cueTarget - m_lastCue) / float(got);
    float g = m_lastCue;
    for (long i = 0; i < got; ++i) {
      g += cueStep;
      cue[2 * i] += m_buffer[std::size_t(2 * i)] * g;
      cue[2 * i + 1] += m_buffer[std::size_t(2 * i + 1)] * g;
    }
    m_lastCue = cueTarget;
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
  releaseBlocks();
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
