#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace sound {

// Slots addressed by 32-bit handles:
//
//   bits 30..31  kind tag (sound, channel, effect), so a handle of one kind never names another
//   bits 10..29  generation, 1..kMaxGeneration
//   bits  0..9   slot number + 1 (0 is never a valid slot, so handle 0 means none)
//
// Freeing a slot bumps its generation, so every handle given out for it before goes stale.
// A slot whose generation would wrap round is retired for good instead of being reused:
// a stale handle can never come back to life, however often a slot is reused. A channel
// slot is reused once per track started, so a million reuses is years of mixing; with 1023
// slots the table runs out only after about a billion handles, and then add() fails.
template <typename T>
class HandleTable {
 public:
  static constexpr std::uint32_t kSlotBits = 10;
  static constexpr std::uint32_t kGenerationBits = 20;
  static constexpr std::size_t kMaxSlots = (std::size_t(1) << kSlotBits) - 1;
  static constexpr std::uint32_t kMaxGeneration = (1u << kGenerationBits) - 1;
  static_assert(2 + kGenerationBits + kSlotBits == 32);

  explicit HandleTable(std::uint32_t kind) : m_kind(kind & 3u) {}

  // Returns 0 when every slot is in use or retired.
  std::uint32_t add(T value) {
    std::size_t slot = 0;
    while (slot < m_slots.size() && (m_slots[slot].used || m_slots[slot].retired)) ++slot;
    if (slot == m_slots.size()) {
      if (slot >= kMaxSlots) return 0;
      m_slots.emplace_back();
    }
    Entry& e = m_slots[slot];
    e.used = true;
    e.value = std::move(value);
    return handleOf(slot);
  }

  T* find(std::uint32_t handle) {
    Entry* e = entry(handle);
    return e ? &e->value : nullptr;
  }

  bool remove(std::uint32_t handle) {
    Entry* e = entry(handle);
    if (!e) return false;
    e->used = false;
    e->value = T{};
    if (e->generation == kMaxGeneration)
      e->retired = true;
    else
      ++e->generation;
    return true;
  }

  template <typename F>
  void forEach(F&& f) {
    for (Entry& e : m_slots)
      if (e.used) f(e.value);
  }

  // Empties every slot but keeps the generations, so handles from before stay stale.
  void clear() {
    for (std::size_t i = 0; i < m_slots.size(); ++i)
      if (m_slots[i].used) remove(handleOf(i));
  }

 private:
  struct Entry {
    bool used = false;
    bool retired = false;
    std::uint32_t generation = 1;
    T value{};
  };

  std::uint32_t handleOf(std::size_t slot) const {
    return (m_kind << 30) | (m_slots[slot].generation << kSlotBits) | std::uint32_t(slot + 1);
  }

  Entry* entry(std::uint32_t handle) {
    if (handle == 0 || (handle >> 30) != m_kind) return nullptr;
    const std::size_t slot = handle & kMaxSlots;
    if (slot == 0 || slot > m_slots.size()) return nullptr;
    Entry& e = m_slots[slot - 1];
    if (!e.used || e.generation != ((handle >> kSlotBits) & kMaxGeneration)) return nullptr;
    return &e;
  }

  std::uint32_t m_kind;
  std::vector<Entry> m_slots;
};

}  // namespace sound
