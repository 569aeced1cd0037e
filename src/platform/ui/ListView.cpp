#include "ListView.h"

#include <QHeaderView>

namespace ui {

ListView::ListView(QWidget* parent, int rowHeightPixels)
    : Control(new QTreeView(parent)),
      m_view(static_cast<QTreeView*>(widget())),
      m_rowHeight(rowHeightPixels) {
  m_stockWidget = true;
  m_view->setModel(&m_model);
  m_view->setRootIsDecorated(false);
  m_view->setUniformRowHeights(true);
  m_view->setSortingEnabled(false);
  m_view->setItemsExpandable(false);
  m_view->setSelectionMode(QAbstractItemView::SingleSelection);
  m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_view->header()->setStretchLastSection(false);
  m_view->header()->setSectionsMovable(false);
  m_view->setStyleSheet(
      QStringLiteral("QTreeView::item { height: %1px; padding: 0px; }").arg(m_rowHeight));
}

void ListView::ClearColumnHeaders() {
  m_widths.clear();
  m_model.setHeadings({});
}

void ListView::AddColumnHeader(const QString& heading, float widthTwips) {
  QStringList h = m_model.headings();
  h.append(heading);
  m_widths.push_back(widthTwips);
  m_model.setHeadings(h);
  for (int i = 0; i < ColumnCount(); ++i)
    m_view->setColumnWidth(i, toPixels(m_widths[std::size_t(i)]));
}

QString ListView::ColumnHeading(int i) const {
  return m_model.headings().value(i);
}

float ListView::ColumnWidth(int i) const {
  return i >= 0 && i < ColumnCount() ? m_widths[std::size_t(i)] : 0.0f;
}

void ListView::setColumnWidth(int i, float twips) {
  if (i < 0 || i >= ColumnCount()) return;
  m_widths[std::size_t(i)] = twips;
  m_view->setColumnWidth(i, toPixels(twips));
}

int ListView::SelectedIndex() const {
  const QModelIndex i = m_view->currentIndex();
  return i.isValid() && m_view->selectionModel()->isRowSelected(i.row(), {}) ? i.row() : -1;
}

void ListView::setSelectedIndex(int row) {
  if (row < 0 || row >= m_model.count()) {
    m_view->clearSelection();
    return;
  }
  m_view->setCurrentIndex(m_model.index(row, 0));
}

}  // namespace ui
