#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>

namespace sound {

// Where the limited master mix leaves the output callback for a recording: a lock-free
// single-producer/single-consumer ring of stereo frames, allocated once. The callback copies
// each block in whole or, when it does not fit, counts it as dropped; the recorder's writer
// thread reads it out. The callback never blocks, allocates or logs here.
//
// Arming and disarming are the UI thread's. disarm() returns only once no block is being
// copied (the callback raises m_busy around its look at m_armed; both are sequentially
// consistent, so either the callback sees the tap disarmed or disarm() sees it busy).
class RecordTap {
 public:
  // About twelve seconds at 44.1 kHz: the writer may stall that long before a block drops.
  static constexpr std::size_t kFrames = std::size_t(1) << 19;

  // UI thread, with the tap disarmed and its reader gone: empties it and starts taking blocks.
  void arm() {
    if (!m_data) m_data = std::make_unique<float[]>(kFrames * 2);
    m_head.store(0, std::memory_order_relaxed);
    m_tail.store(0, std::memory_order_relaxed);
    m_dropped.store(0, std::memory_order_relaxed);
    m_armed.store(true);
  }
  // Stops taking blocks; with `wait`, returns once the callback is out of push().
  void disarm(bool wait = true) {
    m_armed.store(false);
    while (wait && m_busy.load()) std::this_thread::yield();
  }
  bool armed() const { return m_armed.load(std::memory_order_relaxed); }

  // Output callback.
  void push(const float* block, int frames) {
    m_busy.store(true);
    if (m_armed.load() && frames > 0) {
      const std::size_t head = m_head.load(std::memory_order_relaxed);
      const std::size_t used = head - m_tail.load(std::memory_order_acquire);
      const auto n = std::size_t(frames);
      if (kFrames - used < n) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
      } else {
        const std::size_t at = head % kFrames, first = std::min(n, kFrames - at);
        std::memcpy(&m_data[at * 2], block, first * 2 * sizeof(float));
        std::memcpy(&m_data[0], block + first * 2, (n - first) * 2 * sizeof(float));
        m_head.store(head + n, std::memory_order_release);
      }
    }
    m_busy.store(false);
  }

  // Writer thread: copies up to `maxFrames` frames out, returns how many.
  std::size_t read(float* out, std::size_t maxFrames) {
    const std::size_t tail = m_tail.load(std::memory_order_relaxed);
    const std::size_t n = std::min(maxFrames, m_head.load(std::memory_order_acquire) - tail);
    const std::size_t at = tail % kFrames, first = std::min(n, kFrames - at);
    std::memcpy(out, &m_data[at * 2], first * 2 * sizeof(float));
    std::memcpy(out + first * 2, &m_data[0], (n - first) * 2 * sizeof(float));
    m_tail.store(tail + n, std::memory_order_release);
    return n;
  }

  // Frames taken since arm(): the recording's clock, whatever the writer has done with them.
  std::uint64_t captured() const { return m_head.load(std::memory_order_acquire); }
  std::uint64_t dropped() const { return m_dropped.load(std::memory_order_relaxed); }

 private:
  static_assert(std::atomic<std::size_t>::is_always_lock_free);
  static_assert(std::atomic<bool>::is_always_lock_free);
  std::unique_ptr<float[]> m_data;
  std::atomic<bool> m_armed{false};
  alignas(64) std::atomic<bool> m_busy{false};
  alignas(64) std::atomic<std::size_t> m_head{0};
  alignas(64) std::atomic<std::size_t> m_tail{0};
  std::atomic<std::uint64_t> m_dropped{0};
};

}  // namespace sound
