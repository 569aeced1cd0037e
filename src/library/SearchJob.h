#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "Hits.h"
#include "JobContext.h"
#include "PathStore.h"

namespace library {

// What a search tells the window: the entries it searches (once, first), then the indexes
// of the entries that match, in library order, in batches; then the number of hits.
class SearchEvents {
 public:
  virtual ~SearchEvents() = default;
  virtual void searchFrom(unsigned generation, const PathStore& entries) = 0;
  virtual void searchHits(unsigned generation, Hits hits) = 0;
  virtual void searchDone(unsigned generation, int hits) = 0;
};

// The indexes of the entries of `entries` whose path contains `needle` (already trimmed and
// lower-cased), ignoring case, or whose text in `tags` does (the tag index's texts laid out
// beside `entries`, or null). After each stretch of entries `onHits` is given the hits found so
// far that it has not taken (it takes them by moving them out), and once more at the end with
// `last`; the search stops early when `stop` says so. Returns the number of hits.
int findInPaths(const PathStore& entries, const QString& needle, const std::function<bool()>& stop,
                const std::function<void(Hits& hits, bool last)>& onHits,
                const PathStore* tags = nullptr);

// Searches the worker's copy of the library, and the tags beside it, and reports to the
// window.
void runSearch(const QString& needle, unsigned generation, const PathStore& content,
               JobContext& ctx, SearchEvents* events, const PathStore* tags = nullptr);

}  // namespace library
