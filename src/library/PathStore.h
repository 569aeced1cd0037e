#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace library {

// The library's paths, packed: one byte buffer of 8-bit paths (local encoding, as in the
// library file), where each one starts, and where its file name starts. A second buffer holds
// the same bytes with ASCII letters lower-cased, so a search is a plain byte scan.
// Only appended to; a cleared library gets a new store, so old results stay valid.
class PathStore {
 public:
  std::size_t size() const { return m_starts.size(); }
  void reserve(std::size_t entries, std::size_t bytes);
  void append(const char* bytes, std::size_t length);
  void append(const QString& path);

  QString path(std::size_t i) const;
  QString name(std::size_t i) const;  // the file-name part, extension included
  std::string_view bytes(std::size_t i) const;
  std::string_view lowerBytes(std::size_t i) const;
  // Byte range [first, last) of the entries in [from, to).
  std::size_t begin(std::size_t i) const { return m_starts[i]; }
  std::size_t end(std::size_t i) const {
    return i + 1 < m_starts.size() ? m_starts[i + 1] : m_bytes.size();
  }
  const std::string& lower() const { return m_lower; }
  std::size_t memoryBytes() const;

 private:
  std::string m_bytes, m_lower;
  std::vector<std::uint64_t> m_starts;
  std::vector<std::uint32_t> m_nameAt;  // offset of the file name inside its path
};

}  // namespace library
