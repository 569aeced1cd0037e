#include "LibraryLists.h"

#include <QMenu>
#include <cmath>

namespace library {

namespace {
constexpr float kRow = 285.0f;  // twips per row of the library lists

int roundEven(double v) {
  return int(std::nearbyint(v));
}
}  // namespace

LibraryLists::LibraryLists(LibraryView& view, PathListModel& library, PathListModel& results,
                           audio::DeckActions& decks, PlaylistSink& playlist,
                           const ui::PanelMarker& panel)
    : m_v(view),
      m_library(library),
      m_results(results),
      m_decks(decks),
      m_playlist(playlist),
      m_panel(panel),
      m_menu(std::make_unique<QMenu>()) {
  plxy = m_menu->addAction(QStringLiteral("Play !"));
  sendlstx = m_menu->addAction(QStringLiteral("Add to List"));
  QObject::connect(plxy, &QAction::triggered, [this] { plxy_Click(); });
  QObject::connect(sendlstx, &QAction::triggered, [this] { sendlstx_Click(); });
}

LibraryLists::~LibraryLists() = default;

void LibraryLists::play(ui::ListView& list, const PathListModel& model) {
  const int row = list.SelectedIndex();
  if (row < 0) return;
  (void)m_decks.OpenDeckTrack(model.pathBytes(row), m_decks.SelectedDeck(), true);
}

void LibraryLists::loadSelected(int deck) {
  const bool results = m_v.lstresul->Visible();
  const int row = (results ? m_v.lstresul : m_v.lstdata)->SelectedIndex();
  if (row >= 0)
    (void)m_decks.OpenDeckTrack((results ? m_results : m_library).pathBytes(row), deck, false);
}

void LibraryLists::lstdata_DblClick() {
  play(*m_v.lstdata, m_library);
}
void LibraryLists::lstresul_DblClick() {
  play(*m_v.lstresul, m_results);
}

void LibraryLists::press(ui::ListView& list, float Y) {
  // Y counts from the first row, which is exactly one row of 285 twips high.
  const float y = Y - list.RowsTop();
  int row = int(std::floor(roundEven(double(y) - kRow) / double(kRow))) + 2;
  if (row < 1) row = 1;
  const int top = std::max(list.FirstVisible() + 1, 1);
  DragSourceIndex = std::min(row + top - 1, list.Count());
}

void LibraryLists::lstdata_MouseDown(int, int, float, float Y) {
  press(*m_v.lstdata, Y);
}
void LibraryLists::lstresul_MouseDown(int, int, float, float Y) {
  press(*m_v.lstresul, Y);
}

void LibraryLists::lstdata_MouseMove(int Button, int, float, float Y) {
  ui::ListView& list = *m_v.lstdata;
  m_v.lblCntLST->setCaption(QString::number(m_library.count()));
  m_v.SELPIC0->setWidth(list.Width() - 255);
  m_v.SELPIC0->setLeft(list.Left());
  // The bar goes under the row the pointer is over (and under the next one in the lowest
  // 75 twips of a row), counted as if the headings were one row high.
  const int y2 = roundEven(double(Y - list.RowsTop() + kRow) + 75.0);
  const float h = kRow;
  if (Button == 0 && list.Count() > 0) {
    m_v.SELPIC0->setTop(float(std::floor(float(y2) / h + 1)) * h + list.Top() + list.RowsTop() -
                        kRow);
    m_v.SELPIC0->ZOrder(0);
    m_v.SELPIC0->setVisible(true);
  } else if (Button == ui::LeftButton) {
    list.Drag();
  } else if (Button == 0) {
    m_v.SELPIC0->setVisible(false);
  }
}

void LibraryLists::lstresul_MouseMove(int Button, int, float, float) {
  if (Button == ui::LeftButton) m_v.lstresul->Drag();
}

void LibraryLists::popup(float X, float Y) {
  // Placed as the list's own coordinates on the window say; the library lists share a place.
  const ui::ListView& list = *m_v.lstdata;
  QWidget* parent = list.widget()->parentWidget();
  const QPoint at =
      parent->mapToGlobal(QPoint(ui::toPixels(list.Left() + X), ui::toPixels(list.Top() + Y)));
  m_menu->popup(at);
}

void LibraryLists::lstdata_MouseUp(int Button, int Shift, float X, float Y) {
  m_resultsMarked = false;
  if (Button != ui::RightButton) return;
  lstdata_MouseMove(0, Shift, X, Y);
  popup(X, Y);
}

void LibraryLists::lstresul_MouseUp(int Button, int, float X, float Y) {
  m_resultsMarked = true;
  if (Button == ui::RightButton) popup(X, Y);
}

void LibraryLists::cmdsendlst_Click(int Index) {
  if (Index == 0) {
    if (!browser) return;
    for (QByteArray path : browser->selectedFiles()) m_playlist.SendTOlst(path, -1);
  } else if (Index == 1) {
    const bool results = m_v.lstresul->Visible();
    ui::ListView& list = results ? *m_v.lstresul : *m_v.lstdata;
    const PathListModel& model = results ? m_results : m_library;
    for (int row = 0; row < list.Count(); ++row) {
      if (!list.Selected(row)) continue;
      QByteArray path = model.pathBytes(row);
      m_playlist.SendTOlst(path, -1);
    }
  }
}

void LibraryLists::plxy_Click() {
  if (m_panel.tab == 0) {
    if (browser) browser->File1_DblClick();
  } else if (m_resultsMarked) {
    lstresul_DblClick();
  } else {
    lstdata_DblClick();
  }
}

void LibraryLists::sendlstx_Click() {
  cmdsendlst_Click(m_panel.tab);
}

const PathListModel* LibraryLists::modelOf(const ui::Control* list) const {
  if (list == m_v.lstdata) return &m_library;
  if (list == m_v.lstresul) return &m_results;
  return nullptr;
}

QList<QByteArray> LibraryLists::draggedPaths(const ui::Control* source) const {
  const PathListModel* model = modelOf(source);
  // A drag that began over an empty list names no row.
  if (!model || DragSourceIndex < 1 || DragSourceIndex > model->count()) return {};
  const auto& list = static_cast<const ui::ListView&>(*source);
  // Every selected row goes, in list order; the pressed row alone when none is selected.
  QList<QByteArray> paths;
  for (int row = 0; row < model->count(); ++row)
    if (list.Selected(row)) paths << model->pathBytes(row);
  if (paths.isEmpty()) paths << model->pathBytes(DragSourceIndex - 1);
  return paths;
}

void LibraryLists::dropOnDeck(const ui::Control* source, int deck) {
  const PathListModel* model = modelOf(source);
  if (model && DragSourceIndex >= 1 && DragSourceIndex <= model->count())
    (void)m_decks.OpenDeckTrack(model->pathBytes(DragSourceIndex - 1), deck, true);
  DragSourceIndex = 0;
}

}  // namespace library
