#pragma once

#include <memory>
#include <vector>

#include "PathStore.h"
#include "platform/ui/ListModel.h"

namespace library {

// A list of library entries for a list view: column 0 the file name, column 1 the path.
// It shows either every entry of a store (the library) or picked entries (search results).
// Appended entries reach the view in batches, when publish() is called.
class PathListModel : public ui::ListModel {
 public:
  explicit PathListModel(bool picks);

  int count() const override { return m_shown; }
  QString text(int row, int column) const override;
  QString path(int row) const;
  QString name(int row) const;

  // Library lists: the store that new entries go into.
  PathStore& store() { return *m_store; }
  std::shared_ptr<const PathStore> sharedStore() const { return m_store; }
  void append(const QString& path);
  // Result lists: show picked entries of a library store.
  void showPicks(std::shared_ptr<const PathStore> store);
  void pick(std::size_t entry) { m_picks.push_back(std::uint32_t(entry)); }
  // Tells the view about the entries added since the last publish.
  void publish();
  // Empties the list; a library list starts a new store.
  void clear();

 private:
  std::size_t total() const;
  std::size_t entryOf(int row) const {
    return m_isPicks ? m_picks[std::size_t(row)] : std::size_t(row);
  }

  bool m_isPicks;
  std::shared_ptr<PathStore> m_store;
  std::shared_ptr<const PathStore> m_pickFrom;
  std::vector<std::uint32_t> m_picks;
  int m_shown = 0;
};

}  // namespace library
