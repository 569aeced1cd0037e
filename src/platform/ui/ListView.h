#pragma once

#include <QTreeView>
#include <vector>

#include "Control.h"
#include "RowsModel.h"

namespace ui {

// A report-style list: column headings with widths in twips, rows of a fixed height so
// that row arithmetic names the row the user sees. Never sorted.
class ListView : public Control {
 public:
  ListView(QWidget* parent, int rowHeightPixels);

  void ClearColumnHeaders();
  void AddColumnHeader(const QString& heading, float widthTwips = 1440);
  int ColumnCount() const { return int(m_widths.size()); }
  QString ColumnHeading(int i) const;
  float ColumnWidth(int i) const;
  void setColumnWidth(int i, float twips);

  RowsModel& items() { return m_model; }
  int SelectedIndex() const;
  void setSelectedIndex(int row);
  int rowHeightPixels() const { return m_rowHeight; }
  QTreeView* view() const { return m_view; }

 private:
  QTreeView* m_view;
  RowsModel m_model;
  std::vector<float> m_widths;
  int m_rowHeight;
};

}  // namespace ui
