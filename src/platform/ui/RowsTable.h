#pragma once

#include <QStringListModel>
#include <QTableView>
#include <vector>

namespace ui {

// A table whose rows are all one height, placed by arithmetic, so that a change of its row
// count costs the same for ten rows as for a million. A plain table view keeps a record per
// row in its row header, allocated and walked as rows come and go; this one gives its
// (hidden) row header no rows and answers every question about a row from the row height.
// Rows scroll one whole row at a time; columns keep the table's own header.
class RowsTable : public QTableView {
 public:
  RowsTable(QWidget* parent, int rowHeight);

  void setModel(QAbstractItemModel* model) override;
  QModelIndex indexAt(const QPoint& point) const override;
  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  int verticalOffset() const override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
  QRegion visualRegionForSelection(const QItemSelection& selection) const override;
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  int rows() const;
  int columns() const;
  // Rows that fit whole in the viewport (at least one).
  int pageRows() const;
  // The row at viewport height y, which may lie past the last row.
  int rowAtY(int y) const;

  QStringListModel m_noRows;  // what the row header shows
  std::vector<QMetaObject::Connection> m_watch;
  int m_rowHeight;
  bool m_laying = false;
};

}  // namespace ui
