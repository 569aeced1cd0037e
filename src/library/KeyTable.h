#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace library {

// Rows found by a 64-bit key (the hash of a path): an open-addressed table of row numbers,
// four bytes a slot, that asks its owner for a row's key. A million paths cost 8 MB here
// instead of a node, a copy of the path and a bucket each.
class KeyTable {
 public:
  static constexpr std::uint32_t kNone = 0xffffffffu;

  // The row whose key is `key`, or kNone; `keyOf(row)` gives a row's key.
  template <class KeyOf>
  std::uint32_t find(std::uint64_t key, const KeyOf& keyOf) const {
    if (m_slots.empty()) return kNone;
    for (std::size_t i = key & m_mask;; i = (i + 1) & m_mask) {
      const std::uint32_t row = m_slots[i];
      if (row == kNone) return kNone;
      if (keyOf(row) == key) return row;
    }
  }
  // Adds `row`, whose key no row has yet; `rows` is how many rows there will be after it.
  template <class KeyOf>
  void add(std::uint32_t row, std::size_t rows, const KeyOf& keyOf) {
    if (rows * 2 > m_slots.size()) grow(rows, keyOf);
    place(row, keyOf(row));
  }
  template <class KeyOf>
  void reserve(std::size_t rows, const KeyOf& keyOf) {
    if (rows * 2 > m_slots.size()) grow(rows, keyOf);
  }
  void clear() {
    m_slots.clear();
    m_mask = 0;
  }

 private:
  void place(std::uint32_t row, std::uint64_t key) {
    std::size_t i = key & m_mask;
    while (m_slots[i] != kNone) i = (i + 1) & m_mask;
    m_slots[i] = row;
  }
  template <class KeyOf>
  void grow(std::size_t rows, const KeyOf& keyOf) {
    std::size_t size = 16;
    while (size < rows * 2) size *= 2;
    std::vector<std::uint32_t> old = std::move(m_slots);
    m_slots.assign(size, kNone);
    m_mask = size - 1;
    for (std::uint32_t row : old)
      if (row != kNone) place(row, keyOf(row));
  }

  std::vector<std::uint32_t> m_slots;
  std::size_t m_mask = 0;
};

}  // namespace library
