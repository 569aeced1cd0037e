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
      m_lengthFrames(m_decoder->lengthFrames()) {}

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
  if (m_ended) return worked;
  AudioBlock* block = m_ring.writeSlot();
  if (!block) return worked;
  block->epoch = epoch;
  block->frames = m_decoder->read(block->samples, AudioBlock::kFrames);
  block->startFrame = m_decoder->position() - block->frames;
  block->endOfStream = block->frames < AudioBlock::kFrames;
  m_ended = block->endOfStream;
  m_ring.commitWrite();
  if (m_ended) m_endEpoch.store(epoch, std::memory_order_release);
  return true;
}

}  // namespace sound
