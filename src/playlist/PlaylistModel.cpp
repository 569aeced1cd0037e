#include "PlaylistModel.h"

#include "platform/os/NativePath.h"

namespace playlist {

QString PlaylistModel::text(int row, int column) const {
  if (row < 0 || row >= count()) return {};
  const PlaylistEntry& e = m_entries[std::size_t(row)];
  switch (column) {
    case Number:
      return QString::number(row + 1);
    case Artist:
      return e.artist;
    case Title:
      return e.title;
    case Path:
      return platform::displayPath(e.path);
    case Time:
    case Bpm: {
      const std::optional<library::TrackFacts> f =
          m_facts ? m_facts->measures(platform::bytesOf(e.path)) : std::nullopt;
      if (column == Bpm) return f ? library::TrackFactsTable::shownBpm(f->bpm) : QString();
      if (f && f->durationMs >= 0) return library::TrackFactsTable::shownTime(f->durationMs);
      return e.lengthSeconds >= 0 ? library::TrackFactsTable::shownTime(e.lengthSeconds * 1000)
                                  : QString();
    }
  }
  return {};
}

QString PlaylistModel::shownText(int row, int column) const {
  if (column == Path && row >= 0 && row < count())
    return shownPath(platform::bytesOf(m_entries[std::size_t(row)].path));
  return shown(text(row, column));
}

QByteArray PlaylistModel::path(int position) const {
  return position >= 1 && position <= count() ? entry(position).path : QByteArray();
}

void PlaylistModel::setLengthSeconds(int position, int seconds) {
  if (position >= 1 && position <= count())
    m_entries[std::size_t(position - 1)].lengthSeconds = seconds;
}

void PlaylistModel::insert(int position, PlaylistEntry entry) {
  const int at = std::clamp(position, 1, count() + 1) - 1;
  beginInsertRows({}, at, at);
  m_entries.insert(m_entries.begin() + at, std::move(entry));
  endInsertRows();
  // Every number from the new entry on has changed.
  if (at + 1 < count()) emit dataChanged(index(at + 1, Number), index(count() - 1, Number));
}

void PlaylistModel::append(std::vector<PlaylistEntry> entries) {
  if (entries.empty()) return;
  beginInsertRows({}, count(), count() + int(entries.size()) - 1);
  m_entries.insert(m_entries.end(), std::make_move_iterator(entries.begin()),
                   std::make_move_iterator(entries.end()));
  endInsertRows();
}

void PlaylistModel::move(int src, int dest) {
  if (src == dest || src < 1 || src > count() || dest < 1 || dest > count()) return;
  PlaylistEntry kept = m_entries[std::size_t(src - 1)];
  // The view's row goes before its new neighbour, counted as the list stands now.
  beginMoveRows({}, src - 1, src - 1, {}, dest > src ? dest : dest - 1);
  m_entries.erase(m_entries.begin() + (src - 1));
  m_entries.insert(m_entries.begin() + (dest - 1), std::move(kept));
  endMoveRows();
  const int first = std::min(src, dest) - 1, last = std::max(src, dest) - 1;
  emit dataChanged(index(first, Number), index(last, Number));
  const int c = m_current;
  if (c == src)
    m_current = dest;
  else if (src < c && c <= dest)
    m_current = c - 1;
  else if (dest <= c && c < src)
    m_current = c + 1;
}

void PlaylistModel::remove(int position) {
  if (position < 1 || position > count()) return;
  // The entry before a removed current entry becomes current, so that next plays the one
  // that moves up into its place; entries after the current one leave it as it is.
  if (m_current >= position) --m_current;
  beginRemoveRows({}, position - 1, position - 1);
  m_entries.erase(m_entries.begin() + (position - 1));
  endRemoveRows();
  if (position <= count())
    emit dataChanged(index(position - 1, Number), index(count() - 1, Number));
}

void PlaylistModel::clear() {
  beginResetModel();
  m_entries.clear();
  endResetModel();
}

}  // namespace playlist
