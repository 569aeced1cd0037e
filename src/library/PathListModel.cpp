#include "PathListModel.h"

#include <algorithm>

namespace library {

std::size_t PathListModel::entryOf(int row) const {
  if (!m_isPicks) return std::size_t(row);
  const std::size_t r = std::size_t(row);
  const auto k = std::size_t(std::upper_bound(m_pickStarts.begin(), m_pickStarts.end(), r) -
                             m_pickStarts.begin() - 1);
  return m_picks[k][r - m_pickStarts[k]];
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
  return column == 0 ? name(row) : column == 1 ? path(row) : QString();
}

QString PathListModel::shownText(int row, int column) const {
  if (!valid(row) || column > 1) return {};
  const std::string_view bytes = m_store.bytes(entryOf(row));
  return shownPath(column == 0 ? fileNamePart(bytes) : bytes);
}

void PathListModel::clear() {
  beginResetModel();
  m_store.clear();
  clearPicks();
  endResetModel();
}

void PathListModel::append(const std::vector<ChunkPtr>& chunks) {
  std::size_t added = 0;
  for (const ChunkPtr& c : chunks) added += c ? c->size() : 0;
  if (added == 0) return;
  const int before = count();
  beginInsertRows({}, before, before + int(added) - 1);
  m_store.append(chunks);
  endInsertRows();
}

void PathListModel::showPicks(PathStore from) {
  beginResetModel();
  m_store = std::move(from);
  clearPicks();
  endResetModel();
}

void PathListModel::addPicks(Hits picks) {
  if (picks.empty()) return;
  const int before = count();
  beginInsertRows({}, before, before + int(picks.size()) - 1);
  m_pickStarts.push_back(m_pickCount);
  m_pickCount += picks.size();
  m_picks.push_back(std::move(picks));
  endInsertRows();
}

void PathListModel::clearPicks() {
  m_picks.clear();
  m_pickStarts.clear();
  m_pickCount = 0;
}

}  // namespace library
