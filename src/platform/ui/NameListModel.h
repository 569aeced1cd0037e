#pragma once

#include <QByteArray>
#include <QIcon>
#include <vector>

#include "ListModel.h"

namespace ui {

// Names as the file system gives them (bytes), one per row, shown decoded. A row may be
// indented and carry a folder icon (the folder list's open and closed folders).
class NameListModel : public ListModel {
 public:
  enum Icon { NoIcon, OpenFolder, ClosedFolder };
  struct Row {
    QByteArray name;
    int indent = 0;
    Icon icon = NoIcon;
  };

  using ListModel::ListModel;

  int count() const override { return int(m_rows.size()); }
  QString text(int row, int column) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QByteArray name(int row) const;
  // Shows `rows` in place of what was shown.
  void setRows(std::vector<Row> rows);

 private:
  std::vector<Row> m_rows;
  mutable QIcon m_icons[3];
};

}  // namespace ui
