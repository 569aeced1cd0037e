#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace sound {

// A block of decoded stereo frames at the file's own rate. `epoch` tells which seek
// request produced it, so the reader can drop blocks made before the latest seek.
//
// Under key lock the decoding side also writes a pitch-shifted copy of the same frames into
// `shifted`, after the block is in the ring, a few blocks ahead of the reader. Which of the
// two the reader plays is settled once per block by `take`: the first side to move it from
// Open wins. The decoding side stores Shifted (release) after writing the copy; the reader,
// on its first look, either sees Shifted (acquire) and plays the copy, or claims the block
// as Decoded and plays the decoded frames, and a copy made later is never read.
struct AudioBlock {
  static constexpr int kFrames = 1024;
  enum Take : int { Open, Decoded, Shifted };
  std::uint32_t epoch = 0;
  std::int64_t startFrame = 0;
  int frames = 0;
  bool endOfStream = false;
  mutable std::atomic<int> take{Open};
  float samples[kFrames * 2];
  float shifted[kFrames * 2];

  // Reader side: the frames to play; the first call settles which.
  const float* play() const {
    int t = take.load(std::memory_order_acquire);
    if (t == Open && take.compare_exchange_strong(t, Decoded, std::memory_order_acq_rel))
      t = Decoded;
    return t == Shifted ? shifted : samples;
  }
  static_assert(std::atomic<int>::is_always_lock_free);
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
  // Writer side: blocks by their running number. Numbers from head() - capacity() to head()
  // still hold what was written under them (only the writer reuses a slot); those from
  // tail() on have not been released by the reader.
  std::size_t head() const { return m_head.load(std::memory_order_relaxed); }
  std::size_t tail() const { return m_tail.load(std::memory_order_acquire); }
  AudioBlock* at(std::size_t number) { return &m_blocks[number % m_capacity]; }

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
