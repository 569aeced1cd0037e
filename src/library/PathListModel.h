#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "Hits.h"
#include "PathStore.h"
#include "platform/ui/ListModel.h"

namespace library {

// A list of library entries for a list view: column 0 the file name, column 1 the path.
// It shows either every entry of a store (the library) or picked entries of one (search
// results). Rows arrive in batches from the library worker and are shown at once.
class PathListModel : public ui::ListModel {
 public:
  explicit PathListModel(bool picks) : m_isPicks(picks) {}

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

 private:
  bool valid(int row) const { return row >= 0 && row < count(); }
  std::size_t entryOf(int row) const;
  void clearPicks();

  bool m_isPicks;
  PathStore m_store;
  // The picks in the batches they came in, and the row each batch starts at.
  std::vector<Hits> m_picks;
  std::vector<std::size_t> m_pickStarts;
  std::size_t m_pickCount = 0;
};

}  // namespace library
