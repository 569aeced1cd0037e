#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace library {

// A block of library paths that never changes once made: their bytes, exactly as the file
// system or the library file gave them, and where each begins. The library worker makes
// blocks and hands them to the window whole, so the two threads share no memory that is
// still being written.
class PathChunk {
 public:
  std::size_t size() const { return m_starts.size(); }
  std::string_view bytes(std::size_t i) const {
    return std::string_view(m_data.get() + m_starts[i], m_lengths[i]);
  }
  const char* data() const { return m_data.get(); }
  std::size_t begin(std::size_t i) const { return m_starts[i]; }
  std::size_t end(std::size_t i) const { return std::size_t(m_starts[i]) + m_lengths[i]; }

 private:
  friend class PathChunkBuilder;
  // Large blocks go back to the pool of blocks (see PathChunkBuilder::releasePool).
  struct Free {
    Free() noexcept {}
    explicit Free(std::size_t bytes) noexcept : capacity(bytes) {}
    void operator()(char* p) const;
    std::size_t capacity = 0;
  };
  std::unique_ptr<char[], Free> m_data;
  std::vector<std::uint32_t> m_starts;
  std::vector<std::uint32_t> m_lengths;
};

using ChunkPtr = std::shared_ptr<const PathChunk>;

// While one of these lives, blocks of whole huge pages that nobody holds any more wait in a
// pool for the next builder instead of going back to the system: fresh memory costs a page
// fault and a page of zeros per page, and a reload frees the old library's blocks while it
// fills new ones. The last one to end frees what is left, so no memory waits when no job runs.
class BlockReuse {
 public:
  BlockReuse();
  ~BlockReuse();
  BlockReuse(const BlockReuse&) = delete;
  BlockReuse& operator=(const BlockReuse&) = delete;
};

// Fills one block: raw bytes read straight into it (a library file) with entries marked
// afterwards, or whole paths appended (a scan).
class PathChunkBuilder {
 public:
  PathChunkBuilder();
  ~PathChunkBuilder();
  PathChunkBuilder(const PathChunkBuilder&) = delete;
  PathChunkBuilder& operator=(const PathChunkBuilder&) = delete;

  std::size_t byteSize() const { return m_size; }
  std::size_t size() const { return m_chunk->size(); }
  const char* data() const { return m_chunk->m_data.get(); }
  // Room for `n` more bytes at the end; commit() says how many were written.
  char* reserve(std::size_t n);
  void commit(std::size_t n) { m_size += n; }
  // Marks bytes already in the block as one entry.
  void mark(std::size_t start, std::size_t length);
  // Marks each whole line of the bytes so far as an entry: lines end at LF, CR LF or a CR
  // alone (old Mac files), and empty lines are no entry. Returns where the last, unfinished
  // line starts; with `last` (no more bytes to come) that line counts too, and the block's
  // size is returned.
  std::size_t markLines(bool last);
  // Copies a path in as one entry, followed by a line end.
  void append(const char* bytes, std::size_t length);
  // Hands the block over and starts an empty one. Bytes after the last entry are dropped
  // unless `keepTail` asks to carry them into the new block (a line read in part).
  ChunkPtr finish(std::size_t keepTail = 0);

 private:
  std::unique_ptr<PathChunk> m_chunk;
  std::size_t m_size = 0, m_capacity = 0;
};

}  // namespace library
