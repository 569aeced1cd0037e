#include "RowsModel.h"

namespace ui {

int RowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_rows.size());
}
int RowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant RowsModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return text(index.row(), index.column());
}

QVariant RowsModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole || section >= m_headings.size()) return {};
  return m_headings[section];
}

void RowsModel::setHeadings(const QStringList& headings) {
  beginResetModel();
  m_headings = headings;
  endResetModel();
}

void RowsModel::insert(int row, const QStringList& texts) {
  row = std::clamp(row, 0, count());
  beginInsertRows({}, row, row);
  m_rows.insert(m_rows.begin() + row, texts);
  endInsertRows();
}

void RowsModel::remove(int row) {
  if (row < 0 || row >= count()) return;
  beginRemoveRows({}, row, row);
  m_rows.erase(m_rows.begin() + row);
  endRemoveRows();
}

void RowsModel::clear() {
  beginResetModel();
  m_rows.clear();
  endResetModel();
}

void RowsModel::setText(int row, int column, const QString& text) {
  if (row < 0 || row >= count() || column < 0) return;
  QStringList& r = m_rows[std::size_t(row)];
  while (r.size() <= column) r.append(QString());
  r[column] = text;
  emit dataChanged(index(row, column), index(row, column));
}

QString RowsModel::text(int row, int column) const {
  if (row < 0 || row >= count() || column < 0) return {};
  const QStringList& r = m_rows[std::size_t(row)];
  return column < r.size() ? r[column] : QString();
}

}  // namespace ui
