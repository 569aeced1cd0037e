#include "PathListModel.h"

namespace library {

PathListModel::PathListModel(bool picks)
    : m_isPicks(picks), m_store(std::make_shared<PathStore>()) {}

std::size_t PathListModel::total() const {
  return m_isPicks ? m_picks.size() : m_store->size();
}

static const PathStore& storeOf(bool picks, const std::shared_ptr<PathStore>& own,
                                const std::shared_ptr<const PathStore>& from) {
  return picks && from ? *from : *own;
}

QString PathListModel::path(int row) const {
  if (row < 0 || row >= m_shown) return {};
  return storeOf(m_isPicks, m_store, m_pickFrom).path(entryOf(row));
}

QString PathListModel::name(int row) const {
  if (row < 0 || row >= m_shown) return {};
  return storeOf(m_isPicks, m_store, m_pickFrom).name(entryOf(row));
}

QString PathListModel::text(int row, int column) const {
  return column == 0 ? name(row) : column == 1 ? path(row) : QString();
}

void PathListModel::append(const QString& path) {
  m_store->append(path);
}

void PathListModel::showPicks(std::shared_ptr<const PathStore> store) {
  beginResetModel();
  m_pickFrom = std::move(store);
  m_picks.clear();
  m_shown = 0;
  endResetModel();
}

void PathListModel::publish() {
  const int n = int(total());
  if (n <= m_shown) return;
  beginInsertRows({}, m_shown, n - 1);
  m_shown = n;
  endInsertRows();
}

void PathListModel::clear() {
  beginResetModel();
  if (m_isPicks)
    m_picks.clear();
  else
    m_store = std::make_shared<PathStore>();
  m_shown = 0;
  endResetModel();
}

}  // namespace library
