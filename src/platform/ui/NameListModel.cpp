#include "NameListModel.h"

#include <QApplication>
#include <QStyle>

namespace ui {

QString NameListModel::text(int row, int column) const {
  if (row < 0 || row >= count() || column != 0) return {};
  const Row& r = m_rows[std::size_t(row)];
  return QString(r.indent * 2, QLatin1Char(' ')) + QString::fromLocal8Bit(r.name);
}

QVariant NameListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DecorationRole) return ListModel::data(index, role);
  if (!index.isValid() || index.row() >= count() || index.column() != 0) return {};
  const Icon icon = m_rows[std::size_t(index.row())].icon;
  if (icon == NoIcon) return {};
  QIcon& cached = m_icons[icon];
  if (cached.isNull())
    cached = QApplication::style()->standardIcon(icon == OpenFolder ? QStyle::SP_DirOpenIcon
                                                                    : QStyle::SP_DirClosedIcon);
  return cached;
}

QByteArray NameListModel::name(int row) const {
  return row >= 0 && row < count() ? m_rows[std::size_t(row)].name : QByteArray();
}

void NameListModel::setRows(std::vector<Row> rows) {
  beginResetModel();
  m_rows = std::move(rows);
  endResetModel();
}

}  // namespace ui
