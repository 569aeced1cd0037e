#include "PathChunk.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

namespace library {

namespace {
// Blocks grow in steps of whole huge pages where the system offers them: a library of a
// million paths then costs a few hundred page faults instead of tens of thousands.
constexpr std::size_t kHugePage = std::size_t(2) << 20;
// At most this much memory waits in the pool.
constexpr std::size_t kPoolBytes = std::size_t(256) << 20;

// Freed large blocks, taken by whichever thread builds next. Blocks die on the window thread
// and are built on the library worker, so the pool has a lock of its own.
struct Pool {
  std::mutex mutex;
  std::vector<std::pair<char*, std::size_t>> blocks;
  std::size_t bytes = 0;
  int users = 0;  // BlockReuse objects alive
};
Pool& pool() {
  static Pool* p = new Pool;  // never destroyed: blocks may die after static destructors ran
  return *p;
}

// A pooled block of at least `want` bytes (the smallest that fits), or nullptr.
std::pair<char*, std::size_t> takePooled(std::size_t want) {
  Pool& p = pool();
  std::lock_guard lock(p.mutex);
  auto best = p.blocks.end();
  for (auto it = p.blocks.begin(); it != p.blocks.end(); ++it)
    if (it->second >= want && (best == p.blocks.end() || it->second < best->second)) best = it;
  if (best == p.blocks.end()) return {nullptr, 0};
  const auto found = *best;
  p.blocks.erase(best);
  p.bytes -= found.second;
  return found;
}
}  // namespace

void PathChunk::Free::operator()(char* p) const {
  if (capacity >= kHugePage) {
    Pool& pl = pool();
    std::lock_guard lock(pl.mutex);
    if (pl.users > 0 && pl.bytes + capacity <= kPoolBytes) {
      pl.blocks.emplace_back(p, capacity);
      pl.bytes += capacity;
      return;
    }
  }
  std::free(p);
}

BlockReuse::BlockReuse() {
  Pool& p = pool();
  std::lock_guard lock(p.mutex);
  ++p.users;
}

BlockReuse::~BlockReuse() {
  std::vector<std::pair<char*, std::size_t>> blocks;
  {
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    if (--p.users > 0) return;
    blocks.swap(p.blocks);
    p.bytes = 0;
  }
  for (const auto& b : blocks) std::free(b.first);
}

PathChunkBuilder::PathChunkBuilder() : m_chunk(std::make_unique<PathChunk>()) {}
PathChunkBuilder::~PathChunkBuilder() = default;

char* PathChunkBuilder::reserve(std::size_t n) {
  if (m_size + n > m_capacity) {
    std::size_t want = std::max(m_size + n, m_capacity + m_capacity / 2);
    if (want >= kHugePage) want = (want + kHugePage - 1) / kHugePage * kHugePage;
    char* next = nullptr;
    if (want >= kHugePage) {
      const auto pooled = takePooled(want);
      void* p = nullptr;
      if (pooled.first) {
        next = pooled.first;
        want = pooled.second;
      } else if (posix_memalign(&p, kHugePage, want) == 0) {
        next = static_cast<char*>(p);
#ifdef MADV_HUGEPAGE
        madvise(next, want, MADV_HUGEPAGE);
#endif
      }
    } else {
      next = static_cast<char*>(std::malloc(want));
    }
    if (!next) throw std::bad_alloc();
    if (m_size) std::memcpy(next, m_chunk->m_data.get(), m_size);
    m_chunk->m_data = std::unique_ptr<char[], PathChunk::Free>(next, PathChunk::Free(want));
    m_capacity = want;
  }
  return m_chunk->m_data.get() + m_size;
}

void PathChunkBuilder::mark(std::size_t start, std::size_t length) {
  m_chunk->m_starts.push_back(std::uint32_t(start));
  m_chunk->m_lengths.push_back(std::uint32_t(length));
}

std::size_t PathChunkBuilder::markLines(bool last) {
  const char* d = data();
  const std::size_t size = m_size;
  std::size_t start = 0;
  while (start < size) {
    const void* lf = std::memchr(d + start, '\n', size - start);
    const std::size_t end = lf ? std::size_t(static_cast<const char*>(lf) - d) : size;
    // A CR ends a line of its own; in CR LF the LF then ends an empty one. Each stretch is
    // searched once, so a file without a single LF is read in one pass too.
    while (const void* cr = std::memchr(d + start, '\r', end - start)) {
      const std::size_t at = std::size_t(static_cast<const char*>(cr) - d);
      if (at > start) mark(start, at - start);
      start = at + 1;
    }
    if (!lf && !last) return start;
    if (end > start) mark(start, end - start);
    start = end + 1;
  }
  return size;
}

void PathChunkBuilder::append(const char* bytes, std::size_t length) {
  char* at = reserve(length + 1);
  std::memcpy(at, bytes, length);
  at[length] = '\n';
  mark(m_size, length);
  commit(length + 1);
}

ChunkPtr PathChunkBuilder::finish(std::size_t keepTail) {
  keepTail = std::min(keepTail, m_size);
  auto next = std::make_unique<PathChunk>();
  std::size_t nextSize = 0, nextCapacity = 0;
  if (keepTail) {
    PathChunkBuilder carry;
    std::memcpy(carry.reserve(keepTail), data() + m_size - keepTail, keepTail);
    next = std::move(carry.m_chunk);
    nextSize = keepTail;
    nextCapacity = carry.m_capacity;
  }
  std::shared_ptr<const PathChunk> done(m_chunk.release());
  m_chunk = std::move(next);
  m_size = nextSize;
  m_capacity = nextCapacity;
  return done;
}

}  // namespace library
