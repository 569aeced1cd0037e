#include "PathListModel.h"

namespace library {

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
  m_picks.clear();
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
  m_picks.clear();
  endResetModel();
}

void PathListModel::addPicks(const std::vector<std::uint32_t>& picks) {
  if (picks.empty()) return;
  const int before = count();
  beginInsertRows({}, before, before + int(picks.size()) - 1);
  m_picks.insert(m_picks.end(), picks.begin(), picks.end());
  endInsertRows();
}

}  // namespace library
