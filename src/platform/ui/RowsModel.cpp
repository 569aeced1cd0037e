#include "RowsModel.h"

#include <algorithm>

namespace ui {

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
