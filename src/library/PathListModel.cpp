#include "PathListModel.h"

#include <algorithm>
#include <numeric>

#include "ByteSearch.h"

namespace library {

std::size_t PathListModel::unsortedEntry(std::size_t r) const {
  if (!m_isPicks) return r;
  const auto k = std::size_t(std::upper_bound(m_pickStarts.begin(), m_pickStarts.end(), r) -
                             m_pickStarts.begin() - 1);
  return m_picks[k][r - m_pickStarts[k]];
}

std::size_t PathListModel::entryOf(int row) const {
  const auto r = std::size_t(row);
  return unsortedEntry(r < m_order.size() ? m_order[r] : r);
}

std::optional<TrackFacts> PathListModel::factsOf(std::size_t entry) const {
  return m_facts ? m_facts->find(m_store.bytes(entry)) : std::nullopt;
}

QString PathListModel::path(int row) const {
  return valid(row) ? m_store.path(entryOf(row)) : QString();
}

QByteArray PathListModel::pathBytes(int row) const {
  return valid(row) ? m_store.pathBytes(entryOf(row)) : QByteArray();
}

QString PathListModel::name(int row) const {
  return valid(row) ? m_store.name(entryOf(row)) : QString();
}

QString PathListModel::text(int row, int column) const {
  if (column == Name) return name(row);
  if (column == Path) return path(row);
  if (!valid(row) || !m_facts) return {};
  const std::string_view entry = m_store.bytes(entryOf(row));
  if (column == Artist || column == Title || column == Album)
    return m_facts->tag(entry, column == Artist  ? TrackFactsStore::Artist
                               : column == Title ? TrackFactsStore::Title
                                                 : TrackFactsStore::Album);
  const std::optional<TrackFacts> f = m_facts->measures(entry);
  if (!f) return {};
  switch (column) {
    case Time:
      return TrackFactsTable::shownTime(f->durationMs);
    case Bpm:
      return TrackFactsTable::shownBpm(f->bpm);
    case Loudness:
      return TrackFactsTable::shownLoudness(f->loudnessLufs);
  }
  return {};
}

QString PathListModel::shownText(int row, int column) const {
  if (column > Path) return shown(text(row, column));
  if (!valid(row)) return {};
  const std::string_view bytes = m_store.bytes(entryOf(row));
  return shownPath(column == 0 ? fileNamePart(bytes) : bytes);
}

void PathListModel::clear() {
  beginResetModel();
  m_store.clear();
  clearPicks();
  clearOrder();
  endResetModel();
}

void PathListModel::append(const std::vector<ChunkPtr>& chunks) {
  std::size_t added = 0;
  for (const ChunkPtr& c : chunks) added += c ? c->size() : 0;
  if (added == 0) return;
  const int before = count();
  beginInsertRows({}, before, before + int(added) - 1);
  m_store.append(chunks);
  if (!m_order.empty()) {
    m_order.resize(m_store.size());
    std::iota(m_order.begin() + before, m_order.end(), std::uint32_t(before));
  }
  endInsertRows();
}

void PathListModel::showPicks(PathStore from) {
  beginResetModel();
  m_store = std::move(from);
  clearPicks();
  clearOrder();
  endResetModel();
}

void PathListModel::addPicks(Hits picks) {
  if (picks.empty()) return;
  const int before = count();
  beginInsertRows({}, before, before + int(picks.size()) - 1);
  m_pickStarts.push_back(m_pickCount);
  m_pickCount += picks.size();
  m_picks.push_back(std::move(picks));
  if (!m_order.empty()) {
    m_order.resize(m_pickCount);
    std::iota(m_order.begin() + before, m_order.end(), std::uint32_t(before));
  }
  endInsertRows();
}

void PathListModel::clearPicks() {
  m_picks.clear();
  m_pickStarts.clear();
  m_pickCount = 0;
}

void PathListModel::clearOrder() {
  m_order.clear();
  m_sortColumn = -1;
  m_sortDescending = false;
}

void PathListModel::sortBy(int column, bool descending) {
  if (column < Name || column > Loudness) return;
  const auto rows = std::size_t(count());
  std::vector<std::uint32_t> order(rows);
  std::iota(order.begin(), order.end(), 0u);
  std::vector<std::size_t> entries(rows);
  for (std::size_t r = 0; r < rows; ++r) entries[r] = unsortedEntry(r);
  // Rows without a value go last either way; the others by the column, one way or the other.
  auto ordered = [descending](auto a, auto b) { return descending ? b < a : a < b; };
  if (column <= Path) {
    std::vector<std::string_view> keys(rows);
    for (std::size_t r = 0; r < rows; ++r) {
      const std::string_view b = m_store.bytes(entries[r]);
      keys[r] = column == Name ? fileNamePart(b) : b;
    }
    auto less = [](std::string_view a, std::string_view b) {
      return std::lexicographical_compare(
          a.begin(), a.end(), b.begin(), b.end(),
          [](char x, char y) { return std::uint8_t(lowerAscii(x)) < std::uint8_t(lowerAscii(y)); });
    };
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return descending ? less(keys[b], keys[a]) : less(keys[a], keys[b]);
    });
  } else {
    // Each row's value of the column, read from the table once.
    std::vector<std::string_view> paths(rows);
    for (std::size_t r = 0; r < rows; ++r) paths[r] = m_store.bytes(entries[r]);
    if (column == Artist || column == Title || column == Album) {
      const auto tag = column == Artist  ? TrackFactsStore::Artist
                       : column == Title ? TrackFactsStore::Title
                                         : TrackFactsStore::Album;
      std::vector<QString> texts(rows);
      for (std::size_t r = 0; r < rows; ++r)
        texts[r] = m_facts ? m_facts->tag(paths[r], tag) : QString();
      std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const QString &x = texts[a], &y = texts[b];
        if (x.isEmpty() || y.isEmpty()) return !x.isEmpty() && y.isEmpty();
        const int c = x.compare(y, Qt::CaseInsensitive);
        return descending ? c > 0 : c < 0;
      });
    } else {
      std::vector<double> numbers(rows, NAN);
      for (std::size_t r = 0; r < rows; ++r) {
        const std::optional<TrackFacts> f = m_facts ? m_facts->measures(paths[r]) : std::nullopt;
        if (!f) continue;
        if (column == Time)
          numbers[r] = f->durationMs >= 0 ? double(f->durationMs) : NAN;
        else if (column == Bpm)
          numbers[r] = f->bpm > 0 ? f->bpm : NAN;
        else
          numbers[r] = f->loudnessLufs;
      }
      std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const double x = numbers[a], y = numbers[b];
        if (std::isnan(x) || std::isnan(y)) return !std::isnan(x) && std::isnan(y);
        return ordered(x, y);
      });
    }
  }
  beginResetModel();
  m_order = std::move(order);
  m_sortColumn = column;
  m_sortDescending = descending;
  endResetModel();
}

}  // namespace library
