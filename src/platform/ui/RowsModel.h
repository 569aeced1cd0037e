#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace ui {

// Rows of texts behind a list view: one text per column, held as the program gave them.
class RowsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  void setHeadings(const QStringList& headings);
  const QStringList& headings() const { return m_headings; }
  void insert(int row, const QStringList& texts);
  void remove(int row);
  void clear();
  void setText(int row, int column, const QString& text);
  QString text(int row, int column) const;
  const QStringList& row(int r) const { return m_rows[std::size_t(r)]; }
  int count() const { return int(m_rows.size()); }

 private:
  QStringList m_headings;
  std::vector<QStringList> m_rows;
};

}  // namespace ui
