#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "Hits.h"
#include "PathStore.h"
#include "TrackFacts.h"
#include "platform/ui/ListModel.h"

namespace library {

// A list of library entries for a list view: column 0 the file name, column 1 the path,
// then what the track database knows of the file. It shows either every entry of a store
// (the library) or picked entries of one (search results). Rows arrive in batches from the
// library worker and are shown at once. A sort puts the rows in the order of one column;
// rows that arrive after it go at the end.
class PathListModel : public ui::ListModel {
 public:
  enum Column { Name = 0, Path = 1, Artist, Title, Album, Time, Bpm, Loudness };

  explicit PathListModel(bool picks) : m_isPicks(picks) {}
  // Where the columns after the path come from; none: they stay empty.
  void setFacts(const TrackFactsTable* facts) { m_facts = facts; }

  int count() const override { return int(m_isPicks ? m_pickCount : m_store.size()); }
  QString text(int row, int column) const override;
  QString shownText(int row, int column) const override;
  QString path(int row) const;  // for display
  QByteArray pathBytes(int row) const;
  QString name(int row) const;
  const PathStore& store() const { return m_store; }

  // Empties the list.
  void clear();
  // Library lists: more entries at the end.
  void append(const std::vector<ChunkPtr>& chunks);
  // Result lists: from now on, picks of `from` (the list starts empty).
  void showPicks(PathStore from);
  // More picks at the end; the batch is kept as it comes, not copied.
  void addPicks(Hits picks);
  // Rows in the order of `column` (texts ignoring case, numbers by value; rows without a
  // value last), ascending or not; a stable sort, so equal rows keep their order.
  void sortBy(int column, bool descending);
  int sortColumn() const { return m_sortColumn; }
  bool sortDescending() const { return m_sortDescending; }

 private:
  bool valid(int row) const { return row >= 0 && row < count(); }
  std::size_t entryOf(int row) const;
  std::size_t unsortedEntry(std::size_t row) const;
  std::optional<TrackFacts> factsOf(std::size_t entry) const;
  void clearPicks();
  void clearOrder();

  bool m_isPicks;
  PathStore m_store;
  // The picks in the batches they came in, and the row each batch starts at.
  std::vector<Hits> m_picks;
  std::vector<std::size_t> m_pickStarts;
  std::size_t m_pickCount = 0;
  const TrackFactsTable* m_facts = nullptr;
  // The rows as sorted: each row's place in the unsorted list; empty while unsorted.
  std::vector<std::uint32_t> m_order;
  int m_sortColumn = -1;
  bool m_sortDescending = false;
};

}  // namespace library
