#include "SearchJob.h"

#include <QElapsedTimer>
#include <algorithm>

#include "ByteSearch.h"

namespace library {

namespace {
constexpr qint64 kSendMs = 40;

// Hits of an ASCII needle in one block: a scan of the block's bytes in place, each match
// mapped to the entry it lies in (a match across two entries does not count).
void findInChunk(const PathChunk& chunk, std::size_t first, const QByteArray& needle,
                 std::vector<std::uint32_t>& hits) {
  const std::size_t n = std::size_t(needle.size());
  const char* data = chunk.data();
  std::size_t i = 0;
  while (i < chunk.size()) {
    const std::size_t from = chunk.begin(i);
    const std::size_t to = chunk.end(chunk.size() - 1);
    const char* found = findCaseless(data + from, to - from, needle.constData(), n);
    if (!found) return;
    const std::size_t at = std::size_t(found - data);
    // The entry the match starts in: the last one that begins at or before it.
    std::size_t lo = i, hi = chunk.size();
    while (hi - lo > 1) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (chunk.begin(mid) <= at)
        lo = mid;
      else
        hi = mid;
    }
    if (at + n <= chunk.end(lo)) {
      hits.push_back(std::uint32_t(first + lo));
      i = lo + 1;
    } else if (lo + 1 < chunk.size()) {
      // The match ran past its entry: go on from the next entry.
      i = lo + 1;
    } else {
      return;
    }
  }
}
}  // namespace

int findInPaths(const PathStore& entries, const QString& needle, const std::function<bool()>& stop,
                const std::function<void(std::vector<std::uint32_t>&)>& onHits) {
  const QByteArray bytes = needle.toLocal8Bit();
  const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0; });
  std::vector<std::uint32_t> hits;
  int total = 0;
  const auto& chunks = entries.chunks();
  for (std::size_t k = 0; k < chunks.size(); ++k) {
    if (stop()) break;
    const PathChunk& chunk = *chunks[k];
    const std::size_t first = entries.firstOf(k);
    if (bytes.isEmpty()) {
      for (std::size_t i = 0; i < chunk.size(); ++i) hits.push_back(std::uint32_t(first + i));
    } else if (ascii) {
      findInChunk(chunk, first, bytes, hits);
    } else {
      // Letters outside ASCII fold by the text's rules, so those paths are decoded.
      for (std::size_t i = 0; i < chunk.size(); ++i) {
        const std::string_view b = chunk.bytes(i);
        if (QString::fromLocal8Bit(b.data(), qsizetype(b.size())).toLower().contains(needle))
          hits.push_back(std::uint32_t(first + i));
        if (i % 4096 == 0 && stop()) break;
      }
    }
    total += int(hits.size());
    onHits(hits);
    hits.clear();
  }
  return total;
}

void runSearch(const QString& needle, unsigned generation, const PathStore& content,
               JobContext& ctx, SearchEvents* events) {
  ctx.toWindow(
      [events, generation, entries = content] { events->searchFrom(generation, entries); });
  std::vector<std::uint32_t> unsent;
  QElapsedTimer sent;
  sent.start();
  auto send = [&] {
    if (unsent.empty()) return;
    ctx.toWindow(
        [events, generation, hits = std::move(unsent)] { events->searchHits(generation, hits); });
    unsent.clear();
    sent.restart();
  };
  const int hits = findInPaths(
      content, needle, [&] { return ctx.cancelled(); },
      [&](std::vector<std::uint32_t>& found) {
        unsent.insert(unsent.end(), found.begin(), found.end());
        if (sent.elapsed() >= kSendMs) send();
      });
  if (ctx.cancelled()) return;
  send();
  ctx.toWindow([events, generation, hits] { events->searchDone(generation, hits); });
}

}  // namespace library
