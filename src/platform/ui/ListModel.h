#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace ui {

// The rows behind a list view, read as texts per column; the headings belong to the view's
// columns.
class ListModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  virtual int count() const = 0;
  virtual QString text(int row, int column) const = 0;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  void setHeadings(const QStringList& headings);
  const QStringList& headings() const { return m_headings; }

 private:
  QStringList m_headings;
};

}  // namespace ui
