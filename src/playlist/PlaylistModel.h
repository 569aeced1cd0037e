#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "library/TrackFacts.h"
#include "platform/ui/ListModel.h"

namespace playlist {

// One entry of the playlist: the file's path as the file system names it, the artist and
// title split from its name for display, and its length when a playlist of another player
// gave it (-1 when unknown).
struct PlaylistEntry {
  QByteArray path;
  QString artist, title;
  int lengthSeconds = -1;
};

// The playlist: its entries in order (1-based positions; an entry's number is its position)
// and the current entry, the one last taken into a deck from the list (0 for none). The
// current entry follows its track through moves and removals. Columns for the view: number,
// artist, title, path, then the length and the tempo the track database knows.
class PlaylistModel : public ui::ListModel {
 public:
  enum Column { Number = 0, Artist = 1, Title = 2, Path = 3, Time = 4, Bpm = 5 };

  // Where the length and the tempo come from; none: a length only where a playlist of
  // another player gave one.
  void setFacts(const library::TrackFactsTable* facts) { m_facts = facts; }

  int count() const override { return int(m_entries.size()); }
  QString text(int row, int column) const override;
  QString shownText(int row, int column) const override;
  const PlaylistEntry& entry(int position) const { return m_entries[std::size_t(position - 1)]; }
  void setLengthSeconds(int position, int seconds);
  QByteArray path(int position) const;  // empty outside the list

  // Inserts before `position` (count + 1 appends).
  void insert(int position, PlaylistEntry entry);
  void reserve(std::size_t entries) { m_entries.reserve(entries); }
  // Appends all of `entries` as one change of the list.
  void append(std::vector<PlaylistEntry> entries);
  // Moves the entry at `src` to `dest` (both counted in the list as it is before the move).
  void move(int src, int dest);
  void remove(int position);
  void clear();

  int current() const { return m_current; }
  void setCurrent(int position) { m_current = position; }

 private:
  std::vector<PlaylistEntry> m_entries;
  int m_current = 0;
  const library::TrackFactsTable* m_facts = nullptr;
};

}  // namespace playlist
