#include "SearchJob.h"

#include <QElapsedTimer>
#include <algorithm>
#include <iterator>

#include "ByteSearch.h"

namespace library {

namespace {
constexpr qint64 kSendMs = 40;
// Entries searched between two looks at the hits: the first screen of hits leaves after
// this many, not after a whole block.
constexpr std::size_t kSlice = 8192;

// The entry of `chunk` that byte `at` lies in or follows: the last one that begins at or
// before it, looked for from entry `i` on (which begins at or before it). Many hits lie in
// the entry the search starts from, so that one is tried first; the steps ahead then
// double, so a hit far on costs the logarithm of the distance.
std::size_t entryAt(const PathChunk& chunk, std::size_t i, std::size_t count, std::size_t at) {
  std::size_t lo = i, step = 1;
  while (lo + step < count && chunk.begin(lo + step) <= at) {
    lo += step;
    step *= 2;
  }
  std::size_t hi = std::min(lo + step, count);
  while (hi - lo > 1) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (chunk.begin(mid) <= at)
      lo = mid;
    else
      hi = mid;
  }
  return lo;
}

// Hits of an ASCII needle in entries [i, count) of a block: a scan of the block's bytes in
// place, each match mapped to the entry it lies in (a match across two entries does not
// count).
void findInChunk(const PathChunk& chunk, std::size_t first, const CaselessNeedle& needle,
                 std::size_t i, std::size_t count, Hits& hits) {
  const std::size_t n = needle.size();
  if (i >= count) return;
  const char* data = chunk.data();
  const std::size_t to = chunk.end(count - 1);
  while (i < count) {
    const std::size_t from = chunk.begin(i);
    const char* found = needle.find(data + from, to - from);
    if (!found) return;
    const std::size_t at = std::size_t(found - data);
    const std::size_t lo = entryAt(chunk, i, count, at);
    if (at + n <= chunk.end(lo)) hits.push_back(std::uint32_t(first + lo));
    // A match that ran past its entry goes on from the next entry all the same.
    i = lo + 1;
  }
}
}  // namespace

namespace {
// The hits of entries [from, to) of block k: of `store`'s paths, or of the texts aligned
// with them.
void findInSlice(const PathChunk& chunk, std::size_t first, const QString& needle,
                 const QByteArray& bytes, bool ascii, const CaselessNeedle& prepared,
                 std::size_t from, std::size_t to, Hits& hits) {
  if (bytes.isEmpty()) {
    for (std::size_t i = from; i < to; ++i) hits.push_back(std::uint32_t(first + i));
  } else if (ascii) {
    findInChunk(chunk, first, prepared, from, to, hits);
  } else {
    // Letters outside ASCII fold by the text's rules, so those entries are decoded.
    for (std::size_t i = from; i < to; ++i) {
      const std::string_view b = chunk.bytes(i);
      if (QString::fromLocal8Bit(b.data(), qsizetype(b.size())).toLower().contains(needle))
        hits.push_back(std::uint32_t(first + i));
    }
  }
}
}  // namespace

int findInPaths(const PathStore& entries, const QString& needle, const std::function<bool()>& stop,
                const std::function<void(Hits&, bool)>& onHits, const PathStore* tags) {
  const QByteArray bytes = needle.toLocal8Bit();
  const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0; });
  const CaselessNeedle prepared(bytes.constData(), std::size_t(bytes.size()));
  // The tags count only where they lie beside the very blocks searched.
  const bool withTags =
      tags && !bytes.isEmpty() && tags->chunks().size() == entries.chunks().size();
  Hits hits, byPath, byTags;
  std::size_t total = 0;
  const auto& chunks = entries.chunks();
  bool stopped = false;
  for (std::size_t k = 0; k < chunks.size() && !stopped; ++k) {
    const PathChunk& chunk = *chunks[k];
    const std::size_t first = entries.firstOf(k);
    const PathChunk* tagChunk = withTags ? tags->chunks()[k].get() : nullptr;
    if (tagChunk && tagChunk->size() != chunk.size()) tagChunk = nullptr;
    for (std::size_t from = 0; from < chunk.size(); from += kSlice) {
      if ((stopped = stop())) break;
      const std::size_t to = std::min(from + kSlice, chunk.size());
      const std::size_t before = hits.size();
      if (!tagChunk) {
        findInSlice(chunk, first, needle, bytes, ascii, prepared, from, to, hits);
      } else {
        byPath.clear();
        byTags.clear();
        findInSlice(chunk, first, needle, bytes, ascii, prepared, from, to, byPath);
        findInSlice(*tagChunk, first, needle, bytes, ascii, prepared, from, to, byTags);
        std::set_union(byPath.begin(), byPath.end(), byTags.begin(), byTags.end(),
                       std::back_inserter(hits));
      }
      total += hits.size() - before;
      onHits(hits, false);
    }
  }
  onHits(hits, true);
  return int(total);
}

void runSearch(const QString& needle, unsigned generation, const PathStore& content,
               JobContext& ctx, SearchEvents* events, const PathStore* tags) {
  ctx.toWindow(
      [events, generation, entries = content] { events->searchFrom(generation, entries); });
  QElapsedTimer sent;
  sent.start();
  bool first = true;
  auto send = [&](Hits& hits) {
    ctx.toWindow([events, generation, batch = std::move(hits)]() mutable {
      events->searchHits(generation, std::move(batch));
    });
    hits.clear();
    sent.restart();
    first = false;
  };
  // The first hits go out at once, so the first screen shows while the search goes on; the
  // rest about as often as the eye follows, each batch handed over whole.
  const int hits = findInPaths(
      content, needle, [&] { return ctx.cancelled(); },
      [&](Hits& found, bool last) {
        if (!found.empty() && (first || last || sent.elapsed() >= kSendMs) && !ctx.cancelled())
          send(found);
      },
      tags);
  if (ctx.cancelled()) return;
  ctx.toWindow([events, generation, hits] { events->searchDone(generation, hits); });
}

}  // namespace library
