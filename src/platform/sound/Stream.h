#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "BlockRing.h"
#include "FileDecoder.h"
#include "KeyShift.h"

namespace sound {

// An open file: its decoder (driven by the decoding side) and the ring of decoded blocks
// (read by the output side). A seek is a request, (epoch, frame), packed into one atomic
// so the decoding side always sees a consistent pair.
class Stream {
 public:
  Stream(std::unique_ptr<FileDecoder> decoder, std::size_t ringBlocks);

  int sampleRate() const { return m_sampleRate; }
  std::int64_t lengthFrames() const { return m_lengthFrames; }
  BlockRing& ring() { return m_ring; }

  // UI side: ask for decoding to restart at `frame`; returns the new epoch.
  std::uint32_t requestSeek(std::int64_t frame);
  std::uint32_t requestedEpoch() const {
    return std::uint32_t(m_request.load(std::memory_order_acquire) >> 40);
  }
  // Output side: the epoch whose end-of-stream block is in the ring, if any.
  bool endWritten(std::uint32_t epoch) const {
    return m_endEpoch.load(std::memory_order_acquire) == std::int64_t(epoch);
  }

  // UI side: key lock (see KeyShift), and the frequency the stream is played at, whose
  // pitch change key lock takes back out. Both are values on their own that the decoding
  // side reads once a block.
  void setKeyLock(bool on) { m_keyLock.store(on, std::memory_order_relaxed); }
  bool keyLocked() const { return m_keyLock.load(std::memory_order_relaxed); }
  void setPlaybackFrequency(float hz);

  // Decoding side: decodes one block if there is room, and moves key lock on by a step;
  // true when it did any work.
  bool produce();

 private:
  std::unique_ptr<FileDecoder> m_decoder;
  BlockRing m_ring;
  int m_sampleRate;
  std::int64_t m_lengthFrames;
  // bits 40..63: epoch; bits 0..39: target frame (enough for days of audio).
  std::atomic<std::uint64_t> m_request{0};
  std::atomic<std::int64_t> m_endEpoch{-1};
  std::atomic<bool> m_keyLock{false};
  std::atomic<float> m_pitchScale{1.0f};
  static_assert(std::atomic<bool>::is_always_lock_free);
  static_assert(std::atomic<float>::is_always_lock_free);
  static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
  static_assert(std::atomic<std::int64_t>::is_always_lock_free);
  std::uint32_t m_producedEpoch = 0;  // decoding side only
  bool m_ended = false;               // decoding side only
  KeyShift m_shift;                   // decoding side only
};

}  // namespace sound
