#pragma once

#include <QTableView>
#include <functional>
#include <vector>

#include "Control.h"
#include "ListModel.h"

namespace ui {

// A report-style list: column headings with widths in twips, rows of a fixed height so
// that row arithmetic names the row the user sees. Never sorted.
class ListView : public Control {
 public:
  // The list shows the rows of `model`, which it does not own.
  ListView(QWidget* parent, int rowHeightPixels, ListModel* model);

  void ClearColumnHeaders();
  void AddColumnHeader(const QString& heading, float widthTwips = 1440);
  // All the columns at once, headings and widths in twips. Columns that are already these
  // only take their widths again: the list keeps its rows and is not laid out anew.
  void setColumnHeaders(const QList<std::pair<QString, float>>& columns);
  int ColumnCount() const { return int(m_widths.size()); }
  QString ColumnHeading(int i) const;
  float ColumnWidth(int i) const;
  void setColumnWidth(int i, float twips);

  ListModel& model() { return *m_model; }
  int Count() const { return m_model->count(); }
  // The 0-based row shown at the top (-1 when the list is empty).
  int FirstVisible() const;
  // A row's top inside the list, in twips (rows above the first visible one are negative).
  float ItemTop(int row) const;
  void setHeaderVisible(bool on);
  // Files dropped from the desktop: their local paths, as the file system's bytes, and the
  // pointer in twips.
  std::function<void(const QList<QByteArray>& paths, float X, float Y)> onFilesDropped;
  // Files dragged over the list, with the pointer in twips.
  std::function<void(float X, float Y)> onFilesDragOver;
  // A click on a column's heading.
  std::function<void(int column)> onColumnClick;
  // Marks the column the rows are sorted by (-1: none) in its heading.
  void showSortIndicator(int column, bool descending);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 public:
  int SelectedIndex() const;
  void setSelectedIndex(int row);
  // Several rows may be selected (with Ctrl and Shift, as lists do).
  void setMultiSelect(bool on);
  bool Selected(int row) const;
  void setSelected(int row, bool on);
  // Where the first row starts inside the list (below its frame and headings), in twips.
  float RowsTop() const;
  int rowHeightPixels() const { return m_rowHeight; }
  QTableView* view() const { return m_view; }

 private:
  QTableView* m_view;
  ListModel* m_model;
  std::vector<float> m_widths;
  int m_rowHeight;
};

}  // namespace ui
