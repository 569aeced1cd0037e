#include "ListView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>

#include "RowsTable.h"

namespace ui {

ListView::ListView(QWidget* parent, int rowHeightPixels, ListModel* model)
    : Control(new RowsTable(parent, rowHeightPixels)),
      m_view(static_cast<QTableView*>(widget())),
      m_model(model),
      m_rowHeight(rowHeightPixels) {
  m_stockWidget = true;
  m_view->setModel(m_model);
  // Every row exactly as high as the list says: row arithmetic names the row on screen.
  QHeaderView* rows = m_view->verticalHeader();
  rows->setVisible(false);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(m_rowHeight);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  m_view->setShowGrid(false);
  m_view->setWordWrap(false);
  m_view->setSortingEnabled(false);
  m_view->setSelectionMode(QAbstractItemView::SingleSelection);
  m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_view->setTabKeyNavigation(false);  // Tab leaves the list for the next control
  m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  m_view->horizontalHeader()->setStretchLastSection(false);
  m_view->horizontalHeader()->setSectionsMovable(false);
  m_view->horizontalHeader()->setHighlightSections(false);
  m_view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  m_view->horizontalHeader()->setSectionsClickable(true);
  QObject::connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, m_view,
                   [this](int column) {
                     if (onColumnClick) onColumnClick(column);
                   });
  QFont f = m_view->font();
  f.setPixelSize(std::clamp(m_rowHeight - 3, 8, 12));
  m_view->setFont(f);
  m_view->horizontalHeader()->setFont(f);
  // A one-pixel frame: the first row starts 15 twips inside the list.
  m_view->setFrameStyle(QFrame::Box | QFrame::Plain);
  m_view->setLineWidth(1);
  m_view->setAcceptDrops(true);
  m_view->viewport()->setAcceptDrops(true);
  m_view->setDragDropMode(QAbstractItemView::DropOnly);
  watchInner(m_view->viewport());
}

void ListView::ClearColumnHeaders() {
  m_widths.clear();
  m_model->setHeadings({});
}

void ListView::AddColumnHeader(const QString& heading, float widthTwips) {
  QStringList h = m_model->headings();
  h.append(heading);
  m_widths.push_back(widthTwips);
  m_model->setHeadings(h);
  for (int i = 0; i < ColumnCount(); ++i)
    m_view->setColumnWidth(i, toPixels(m_widths[std::size_t(i)]));
}

void ListView::setColumnHeaders(const QList<std::pair<QString, float>>& columns) {
  QStringList headings;
  for (const auto& c : columns) headings.append(c.first);
  if (headings != m_model->headings()) m_model->setHeadings(headings);
  m_widths.clear();
  for (const auto& c : columns) m_widths.push_back(c.second);
  for (int i = 0; i < ColumnCount(); ++i) {
    const int w = toPixels(m_widths[std::size_t(i)]);
    if (m_view->columnWidth(i) != w) m_view->setColumnWidth(i, w);
  }
}

void ListView::showSortIndicator(int column, bool descending) {
  QHeaderView* h = m_view->horizontalHeader();
  h->setSortIndicatorShown(column >= 0);
  if (column >= 0)
    h->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QString ListView::ColumnHeading(int i) const {
  return m_model->headings().value(i);
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
  if (row < 0 || row >= m_model->count()) {
    m_view->clearSelection();
    return;
  }
  m_view->setCurrentIndex(m_model->index(row, 0));
}

}  // namespace ui

namespace ui {

void ListView::setMultiSelect(bool on) {
  m_view->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                              : QAbstractItemView::SingleSelection);
}

bool ListView::Selected(int row) const {
  return row >= 0 && row < m_model->count() && m_view->selectionModel()->isRowSelected(row, {});
}

void ListView::setSelected(int row, bool on) {
  if (row < 0 || row >= m_model->count()) return;
  m_view->selectionModel()->select(
      m_model->index(row, 0), (on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                  QItemSelectionModel::Rows);
}

float ListView::RowsTop() const {
  return toTwips(m_view->viewport()->mapTo(m_view, QPoint(0, 0)).y());
}

void ListView::setHeaderVisible(bool on) {
  m_view->horizontalHeader()->setVisible(on);
}

int ListView::FirstVisible() const {
  if (m_model->count() == 0) return -1;
  const QModelIndex i = m_view->indexAt(QPoint(1, 1));
  return i.isValid() ? i.row() : 0;
}

float ListView::ItemTop(int row) const {
  const QPoint viewport = m_view->viewport()->mapTo(m_view, QPoint(0, 0));
  if (row >= 0 && row < m_model->count()) {
    const QRect r = m_view->visualRect(m_model->index(row, 0));
    if (r.isValid()) return toTwips(r.top() + viewport.y());
  }
  const int first = std::max(FirstVisible(), 0);
  return toTwips(viewport.y() + (row - first) * m_rowHeight);
}

bool ListView::eventFilter(QObject* watched, QEvent* event) {
  // Only pointers are compared until the event is known to be a drop: the view may be
  // half destroyed when its last events arrive.
  const QEvent::Type type = event->type();
  const bool drop = type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
  if (drop && m_inner && watched == m_inner) {
    auto* e = static_cast<QDropEvent*>(event);
    if (e->mimeData()->hasUrls()) {
      e->acceptProposedAction();
      const QPointF p = m_inner->mapTo(widget(), e->position());
      const float x = float(p.x()) * TwipsPerPixel, y = float(p.y()) * TwipsPerPixel;
      if (type != QEvent::Drop) {
        if (onFilesDragOver) onFilesDragOver(x, y);
      } else {
        QList<QByteArray> paths;
        for (const QUrl& url : e->mimeData()->urls())
          // The URL's own percent-encoding keeps names that are not valid text exactly.
          if (url.isLocalFile())
            paths.append(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
        if (onFilesDropped) onFilesDropped(paths, x, y);
      }
      return true;
    }
  }
  return Control::eventFilter(watched, event);
}

}  // namespace ui
