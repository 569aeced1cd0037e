#pragma once

#include <QStringList>
#include <vector>

#include "ListModel.h"

namespace ui {

// Rows of texts held as the program gave them (one text per column).
class RowsModel : public ListModel {
 public:
  using ListModel::ListModel;

  int count() const override { return int(m_rows.size()); }
  QString text(int row, int column) const override;
  void insert(int row, const QStringList& texts);
  void remove(int row);
  void clear();
  void setText(int row, int column, const QString& text);
  const QStringList& row(int r) const { return m_rows[std::size_t(r)]; }

 private:
  std::vector<QStringList> m_rows;
};

}  // namespace ui
