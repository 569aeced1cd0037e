#include "RowsTable.h"

#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace ui {

RowsTable::RowsTable(QWidget* parent, int rowHeight)
    : QTableView(parent), m_rowHeight(std::max(rowHeight, 1)) {
  setVerticalScrollMode(ScrollPerItem);
  // Opaque, so that a repaint of the list does not first paint what lies beneath it (the
  // result list lies over the library list).
  setAutoFillBackground(true);
}

void RowsTable::setModel(QAbstractItemModel* model) {
  for (const QMetaObject::Connection& c : m_watch) disconnect(c);
  m_watch.clear();
  QTableView::setModel(model);
  verticalHeader()->setModel(&m_noRows);
  if (!model) return;
  // The row header no longer says when the row count changes: the model does.
  const auto changed = [this] {
    updateGeometries();
    viewport()->update();
  };
  m_watch = {connect(model, &QAbstractItemModel::rowsInserted, this, changed),
             connect(model, &QAbstractItemModel::rowsRemoved, this, changed),
             connect(model, &QAbstractItemModel::modelReset, this, changed),
             connect(model, &QAbstractItemModel::layoutChanged, this, changed)};
}

int RowsTable::rows() const {
  return model() ? model()->rowCount(rootIndex()) : 0;
}

int RowsTable::columns() const {
  return model() ? model()->columnCount(rootIndex()) : 0;
}

int RowsTable::pageRows() const {
  return std::max(viewport()->height() / m_rowHeight, 1);
}

int RowsTable::rowAtY(int y) const {
  const int shifted = y + verticalOffset();
  return shifted < 0 ? -1 : shifted / m_rowHeight;
}

int RowsTable::verticalOffset() const {
  return verticalScrollBar()->value() * m_rowHeight;
}

QModelIndex RowsTable::indexAt(const QPoint& point) const {
  const int row = rowAtY(point.y());
  const int column = columnAt(point.x());
  if (row < 0 || row >= rows() || column < 0) return {};
  return model()->index(row, column, rootIndex());
}

QRect RowsTable::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.parent() != rootIndex() || isColumnHidden(index.column()))
    return {};
  return QRect(columnViewportPosition(index.column()), index.row() * m_rowHeight - verticalOffset(),
               columnWidth(index.column()), m_rowHeight);
}

void RowsTable::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid()) return;
  const int row = index.row(), page = pageRows(), top = verticalScrollBar()->value();
  int want = top;
  switch (hint) {
    case PositionAtTop:
      want = row;
      break;
    case PositionAtBottom:
      want = row - page + 1;
      break;
    case PositionAtCenter:
      want = row - page / 2;
      break;
    case EnsureVisible:
      if (row < top)
        want = row;
      else if (row >= top + page)
        want = row - page + 1;
      break;
  }
  verticalScrollBar()->setValue(want);
  // Columns scroll by pixels: the column comes into view, its start first.
  const int x = columnViewportPosition(index.column()), w = columnWidth(index.column());
  const int shownWidth = viewport()->width();
  if (x < 0)
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + x);
  else if (x + w > shownWidth)
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() +
                                    std::min(x, x + w - shownWidth));
}

void RowsTable::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const QRect area = event->rect();
  const int last = std::min(rowAtY(area.bottom()), rows() - 1);
  const QModelIndex current = currentIndex();
  const bool focused = hasFocus() || viewport()->hasFocus();
  const QItemSelectionModel* selection = selectionModel();
  for (int row = std::max(rowAtY(area.top()), 0); row <= last; ++row) {
    for (int column = 0; column < columns(); ++column) {
      const QModelIndex index = model()->index(row, column, rootIndex());
      const QRect cell = visualRect(index);
      if (!cell.intersects(area)) continue;
      QStyleOptionViewItem o = option;
      o.rect = cell;
      if (selection && selection->isSelected(index)) o.state |= QStyle::State_Selected;
      if (index == current && focused) o.state |= QStyle::State_HasFocus;
      style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &o, &painter, this);
      itemDelegateForIndex(index)->paint(&painter, o, index);
    }
  }
}

QModelIndex RowsTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const int count = rows();
  if (count == 0 || columns() == 0) return {};
  const QModelIndex current = currentIndex();
  if (!current.isValid()) return model()->index(verticalScrollBar()->value(), 0, rootIndex());
  int row = current.row(), column = current.column();
  const bool ctrl = modifiers & Qt::ControlModifier;
  switch (action) {
    case MoveUp:
      --row;
      break;
    case MoveDown:
      ++row;
      break;
    // A page on is the row a viewport's height past the current row's edge.
    case MovePageUp:
      row = rowAtY(visualRect(current).top() - viewport()->height());
      break;
    case MovePageDown:
      row = rowAtY(visualRect(current).bottom() + viewport()->height());
      break;
    case MoveLeft:
      --column;
      break;
    case MoveRight:
      ++column;
      break;
    case MoveHome:
      column = 0;
      if (ctrl) row = 0;
      break;
    case MoveEnd:
      column = columns() - 1;
      if (ctrl) row = count - 1;
      break;
    default:
      break;
  }
  row = std::clamp(row, 0, count - 1);
  column = std::clamp(column, 0, columns() - 1);
  return model()->index(row, column, rootIndex());
}

void RowsTable::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
  const int count = rows();
  if (!selectionModel() || count == 0 || columns() == 0) return;
  const QRect r = rect.normalized();
  const int top = std::clamp(rowAtY(r.top()), 0, count - 1);
  const int bottom = std::clamp(rowAtY(r.bottom()), 0, count - 1);
  int left = 0, right = columns() - 1;
  if (selectionBehavior() != SelectRows) {
    left = std::max(columnAt(r.left()), 0);
    right = columnAt(r.right()) < 0 ? columns() - 1 : columnAt(r.right());
  }
  const QItemSelection chosen(model()->index(top, left, rootIndex()),
                              model()->index(bottom, right, rootIndex()));
  selectionModel()->select(chosen, flags);
}

QRegion RowsTable::visualRegionForSelection(const QItemSelection& selection) const {
  QRegion region;
  const QRect shown = viewport()->rect();
  for (const QItemSelectionRange& range : selection) {
    if (!range.isValid() || range.parent() != rootIndex()) continue;
    const int left = columnViewportPosition(range.left());
    const int right = columnViewportPosition(range.right()) + columnWidth(range.right());
    const QRect band(left, range.top() * m_rowHeight - verticalOffset(), right - left,
                     (range.bottom() - range.top() + 1) * m_rowHeight);
    region += band.intersected(shown);
  }
  return region;
}

void RowsTable::updateGeometries() {
  if (m_laying) return;
  m_laying = true;
  QTableView::updateGeometries();
  const int page = pageRows();
  verticalScrollBar()->setRange(0, std::max(rows() - page, 0));
  verticalScrollBar()->setPageStep(page);
  verticalScrollBar()->setSingleStep(1);
  m_laying = false;
}

void RowsTable::scrollContentsBy(int dx, int dy) {
  QTableView::scrollContentsBy(dx, 0);
  if (dy) viewport()->update();
}

}  // namespace ui
