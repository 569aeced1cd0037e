#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <map>
#include <vector>

namespace library {

// The folders an update rescans: built from the folders of the library's entries, in order,
// so that no folder is listed inside another. A folder that lies inside a listed one (or is
// it, whatever the case of its letters) adds nothing; a folder that encloses listed ones
// takes the place of the first of them and the others go. A listed folder covers whole
// folder names only: "/music2" is not inside "/music".
//
// Each entry costs a lookup per level of its folder, not a pass over the list, so a library
// of many thousand albums is listed at once.
class FolderCover {
 public:
  void add(const QByteArray& folder);
  std::vector<QByteArray> folders() const;

 private:
  bool coveredByListed(const QByteArray& folder) const;

  std::vector<QByteArray> m_order;             // empty where a folder gave way to one enclosing it
  std::map<QByteArray, std::size_t> m_byPath;  // listed folders, exact bytes -> place in order
  QSet<QByteArray> m_folded;                   // listed folders with ASCII letters folded
  QByteArray m_last;                           // the folder of the previous entry
};

// Which folder of a list that FolderCover made holds a given folder, by the same rule: whole
// folder names, letters whatever their case.
class CoverIndex {
 public:
  explicit CoverIndex(const std::vector<QByteArray>& folders);
  // The place in the list of the folder that holds `folder` (or is it); -1 for none.
  int of(const QByteArray& folder) const;

 private:
  QHash<QByteArray, int> m_places;  // listed folders with letters folded -> place
};

}  // namespace library
