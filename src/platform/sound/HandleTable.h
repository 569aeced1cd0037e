#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace sound {

// Slots addressed by 32-bit handles: a kind tag, a generation and a slot number.
// Freeing a slot bumps its generation, so every handle given out for it before goes stale.
template <typename T>
class HandleTable {
 public:
  explicit HandleTable(std::uint32_t kind) : m_kind(kind & 3u) {}

  std::uint32_t add(T value) {
    std::size_t slot = 0;
    while (slot < m_slots.size() && m_slots[slot].used) ++slot;
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
    e->generation = std::uint16_t((e->generation + 1) & 0x3FFF);
    if (e->generation == 0) e->generation = 1;
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
  static constexpr std::size_t kMaxSlots = 0xFFFF;
  struct Entry {
    bool used = false;
    std::uint16_t generation = 1;
    T value{};
  };

  std::uint32_t handleOf(std::size_t slot) const {
    return (m_kind << 30) | (std::uint32_t(m_slots[slot].generation) << 16) |
           std::uint32_t(slot + 1);
  }

  Entry* entry(std::uint32_t handle) {
    if (handle == 0 || (handle >> 30) != m_kind) return nullptr;
    const std::size_t slot = (handle & 0xFFFFu);
    if (slot == 0 || slot > m_slots.size()) return nullptr;
    Entry& e = m_slots[slot - 1];
    if (!e.used || e.generation != ((handle >> 16) & 0x3FFFu)) return nullptr;
    return &e;
  }

  std::uint32_t m_kind;
  std::vector<Entry> m_slots;
};

}  // namespace sound
