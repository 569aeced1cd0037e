#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <string_view>
#include <vector>

#include "PathChunk.h"

namespace library {

// The library's paths as a sequence of shared, unchanging blocks. Each thread keeps its own
// store (the window the one its list shows, the library worker the one its jobs read); they
// hold the same blocks, so handing a block over costs a pointer, not a copy.
class PathStore {
 public:
  std::size_t size() const { return m_total; }
  bool empty() const { return m_total == 0; }
  void append(ChunkPtr chunk);
  void append(const std::vector<ChunkPtr>& chunks);
  void clear();

  // The path's bytes, as stored: the form that opens the file.
  std::string_view bytes(std::size_t i) const;
  QByteArray pathBytes(std::size_t i) const;
  // For display only: the path and its file-name part decoded from the local encoding.
  QString path(std::size_t i) const;
  QString name(std::size_t i) const;

  const std::vector<ChunkPtr>& chunks() const { return m_chunks; }
  // The index of chunk k's first entry in the whole store.
  std::size_t firstOf(std::size_t k) const { return m_firsts[k]; }

 private:
  std::vector<ChunkPtr> m_chunks;
  std::vector<std::size_t> m_firsts;
  std::size_t m_total = 0;
};

// The file-name part of a path's bytes: after the last separator before the last byte, so a
// path that ends in a separator keeps its last folder name with the separator.
std::string_view fileNamePart(std::string_view path);

}  // namespace library
