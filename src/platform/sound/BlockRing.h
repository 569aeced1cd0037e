#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace sound {

// A block of decoded stereo frames at the file's own rate. `epoch` tells which seek
// request produced it, so the reader can drop blocks made before the latest seek.
struct AudioBlock {
  static constexpr int kFrames = 1024;
  std::uint32_t epoch = 0;
  std::int64_t startFrame = 0;
  int frames = 0;
  bool endOfStream = false;
  float samples[kFrames * 2];
};

// Lock-free single-producer/single-consumer ring of preallocated blocks: the decoder
// fills the slot at the head, the output callback reads the slot at the tail.
class BlockRing {
 public:
  explicit BlockRing(std::size_t blocks)
      : m_capacity(blocks < 4 ? 4 : blocks), m_blocks(new AudioBlock[m_capacity]) {}

  std::size_t capacity() const { return m_capacity; }

  AudioBlock* writeSlot() {
    const std::size_t head = m_head.load(std::memory_order_relaxed);
    if (head - m_tail.load(std::memory_order_acquire) == m_capacity) return nullptr;
    return &m_blocks[head % m_capacity];
  }
  void commitWrite() {
    m_head.store(m_head.load(std::memory_order_relaxed) + 1, std::memory_order_release);
  }

  // Blocks ready for the reader; the i-th one counted from the oldest.
  std::size_t readable() const {
    return m_head.load(std::memory_order_acquire) - m_tail.load(std::memory_order_relaxed);
  }
  const AudioBlock* peek(std::size_t i = 0) const {
    return &m_blocks[(m_tail.load(std::memory_order_relaxed) + i) % m_capacity];
  }
  void pop() {
    m_tail.store(m_tail.load(std::memory_order_relaxed) + 1, std::memory_order_release);
  }

 private:
  static_assert(std::atomic<std::size_t>::is_always_lock_free);
  std::size_t m_capacity;
  std::unique_ptr<AudioBlock[]> m_blocks;
  alignas(64) std::atomic<std::size_t> m_head{0};
  alignas(64) std::atomic<std::size_t> m_tail{0};
};

}  // namespace sound
