#pragma once

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace library {

// The library's paths, packed: the 8-bit bytes of every path (local encoding, as in the
// library file, read in whole blocks) with where each entry starts and how long it is. A
// second buffer holds the same bytes with ASCII letters lower-cased, so a search is a plain
// byte scan. Only appended to; a cleared library gets a new store, so old results stay valid.
// A growable byte buffer whose new bytes are not cleared first (they are written at once).
class RawBytes {
 public:
  RawBytes() = default;
  ~RawBytes() { std::free(m_data); }
  RawBytes(const RawBytes&) = delete;
  RawBytes& operator=(const RawBytes&) = delete;
  void reserve(std::size_t n);
  char* grow(std::size_t n);  // n more bytes at the end, to be written by the caller
  void shrink(std::size_t size) { m_size = size; }
  const char* data() const { return m_data; }
  std::size_t size() const { return m_size; }

 private:
  char* m_data = nullptr;
  std::size_t m_size = 0, m_capacity = 0;
};

class PathStore {
 public:
  std::size_t size() const { return m_starts.size(); }
  void reserve(std::size_t entries, std::size_t bytes);
  // Appends raw bytes (lines of a library file, say) without making entries of them yet.
  std::size_t appendBytes(const char* bytes, std::size_t length);
  // Room for up to `length` raw bytes read straight into the store; commit() says how many
  // arrived and returns where they start.
  char* reserveBytes(std::size_t length);
  std::size_t commitBytes(std::size_t requested, std::size_t arrived);
  // Makes an entry of bytes already appended.
  void addEntry(std::size_t start, std::size_t length);
  void append(const char* bytes, std::size_t length) {
    addEntry(appendBytes(bytes, length), length);
  }
  void append(const QString& path);

  QString path(std::size_t i) const;
  QString name(std::size_t i) const;  // the file-name part, extension included
  std::string_view bytes(std::size_t i) const { return view(m_bytes, i); }
  std::size_t begin(std::size_t i) const { return std::size_t(m_starts[i]); }
  std::size_t end(std::size_t i) const { return begin(i) + m_lengths[i]; }
  const char* lower() const { return m_lower.data(); }
  const char* data() const { return m_bytes.data(); }

 private:
  std::string_view view(const RawBytes& buffer, std::size_t i) const {
    return std::string_view(buffer.data() + begin(i), m_lengths[i]);
  }
  void lowerTail();  // brings the lower-cased copy up to the raw bytes

  RawBytes m_bytes, m_lower;
  std::vector<std::uint64_t> m_starts;
  std::vector<std::uint32_t> m_lengths;
};

}  // namespace library
