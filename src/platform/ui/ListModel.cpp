#include "ListModel.h"

namespace ui {

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count();
}
int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return text(index.row(), index.column());
}

QVariant ListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole || section >= m_headings.size()) return {};
  return m_headings[section];
}

void ListModel::setHeadings(const QStringList& headings) {
  beginResetModel();
  m_headings = headings;
  endResetModel();
}

}  // namespace ui
