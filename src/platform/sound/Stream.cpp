#include "Stream.h"

#include <algorithm>

namespace sound {

namespace {
constexpr std::uint64_t kFrameMask = (std::uint64_t(1) << 40) - 1;
}

Stream::Stream(std::unique_ptr<FileDecoder> decoder, std::size_t ringBlocks)
    : m_decoder(std::move(decoder)),
      m_ring(ringBlocks),
      m_sampleRate(m_decoder->sampleRate()),
      m_lengthFrames(m_decoder->lengthFrames()),
      m_shift(m_sampleRate) {}

void Stream::setPlaybackFrequency(float hz) {
  // Played at hz, the frames sound hz / rate times higher: key lock shifts them down by as
  // much. The clamp covers the pitch knob's whole travel and keeps the stretcher sane near 0.
  const float scale = hz > 0.0f ? float(m_sampleRate) / hz : 4.0f;
  m_pitchScale.store(std::clamp(scale, 0.25f, 4.0f), std::memory_order_relaxed);
}

std::uint32_t Stream::requestSeek(std::int64_t frame) {
  const std::uint64_t old = m_request.load(std::memory_order_relaxed);
  const std::uint32_t epoch = std::uint32_t(((old >> 40) + 1) & 0xFFFFFF);
  // A target past what 40 bits hold is past the end of any real file: it is pinned, not
  // wrapped round to some frame near the start.
  const std::uint64_t target =
      std::min(std::uint64_t(std::max<std::int64_t>(frame, 0)), kFrameMask);
  m_request.store((std::uint64_t(epoch) << 40) | target, std::memory_order_release);
  return epoch;
}

bool Stream::produce() {
  const std::uint64_t request = m_request.load(std::memory_order_acquire);
  const auto epoch = std::uint32_t(request >> 40);
  bool worked = false;
  if (epoch != m_producedEpoch) {
    m_decoder->seek(std::int64_t(request & kFrameMask));
    m_producedEpoch = epoch;
    m_ended = false;
    worked = true;
  }
  if (AudioBlock* block = m_ended ? nullptr : m_ring.writeSlot()) {
    block->epoch = epoch;
    block->frames = m_decoder->read(block->samples, AudioBlock::kFrames);
    block->startFrame = m_decoder->position() - block->frames;
    block->endOfStream = block->frames < AudioBlock::kFrames;
    block->take.store(AudioBlock::Open, std::memory_order_relaxed);  // published by the commit
    m_ended = block->endOfStream;
    m_ring.commitWrite();
    if (m_ended) m_endEpoch.store(epoch, std::memory_order_release);
    worked = true;
  }
  worked |= m_shift.step(m_ring, m_keyLock.load(std::memory_order_relaxed),
                         double(m_pitchScale.load(std::memory_order_relaxed)), epoch);
  return worked;
}

}  // namespace sound
