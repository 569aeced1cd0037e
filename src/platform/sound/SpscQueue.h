#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <type_traits>

namespace sound {

// Single-producer/single-consumer queue of small plain messages. Neither side ever
// blocks or allocates, so the output callback can drain it.
template <typename T, std::size_t N>
class SpscQueue {
  static_assert((N & (N - 1)) == 0, "capacity must be a power of two");
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  bool push(const T& value) {
    const std::size_t head = m_head.load(std::memory_order_relaxed);
    if (head - m_tail.load(std::memory_order_acquire) == N) return false;
    m_items[head & (N - 1)] = value;
    m_head.store(head + 1, std::memory_order_release);
    return true;
  }
  bool pop(T& value) {
    const std::size_t tail = m_tail.load(std::memory_order_relaxed);
    if (tail == m_head.load(std::memory_order_acquire)) return false;
    value = m_items[tail & (N - 1)];
    m_tail.store(tail + 1, std::memory_order_release);
    return true;
  }

 private:
  static_assert(std::atomic<std::size_t>::is_always_lock_free);
  std::array<T, N> m_items{};
  alignas(64) std::atomic<std::size_t> m_head{0};
  alignas(64) std::atomic<std::size_t> m_tail{0};
};

}  // namespace sound
