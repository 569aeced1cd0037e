#include "Library.h"

#include <QFileInfo>

namespace library {

namespace {
void setLibraryColumns(ui::ListView& list) {
  // What the track database knows comes after the list's own columns.
  list.setColumnHeaders({{QStringLiteral("Pista"), 4000},
                         {QStringLiteral("Ruta"), 5000},
                         {QStringLiteral("Artist"), 2400},
                         {QStringLiteral("Title"), 2800},
                         {QStringLiteral("Album"), 2400},
                         {QStringLiteral("Time"), 800},
                         {QStringLiteral("BPM"), 800},
                         {QStringLiteral("Loudness"), 1100}});
  list.showSortIndicator(-1, false);
}

void sortByColumn(ui::ListView& list, PathListModel& model, int column) {
  const bool descending = model.sortColumn() == column && !model.sortDescending();
  model.sortBy(column, descending);
  list.showSortIndicator(model.sortColumn(), model.sortDescending());
}

QString trimBlanks(const QString& s) {
  qsizetype a = 0, b = s.size();
  while (a < b && s[a] == QLatin1Char(' ')) ++a;
  while (b > a && s[b - 1] == QLatin1Char(' ')) --b;
  return s.mid(a, b - a);
}
}  // namespace

Library::Library(LibraryView& panel, PathListModel& library, PathListModel& results,
                 LibraryWorker& worker, ui::PictureSource& pictures)
    : m_c(panel), m_library(library), m_results(results), m_worker(worker), m_pictures(pictures) {}

void Library::lstdata_ColumnClick(int column) {
  sortByColumn(*m_c.lstdata, m_library, column);
}

void Library::lstresul_ColumnClick(int column) {
  sortByColumn(*m_c.lstresul, m_results, column);
}

bool Library::LoadBaseDa() {
  setLibraryColumns(*m_c.lstdata);
  const QString path = m_c.libraryFile();
  // A newer load takes over from one that runs or waits.
  m_worker.cancel(LibraryWorker::Load);
  m_loading = true;
  m_worker.post(LibraryWorker::Load, [this, path, &content = m_worker.content](auto& ctx) {
    runLoad(path, content, ctx, this);
  });
  const QFileInfo info(path);
  return info.isFile() && info.size() >= 1;
}

void Library::loadReset() {
  m_library.clear();
}

void Library::loadOpened(qint64 bytes) {
  if (progress) progress->loadStarted(bytes + 1);
}

void Library::loadBatch(const std::vector<ChunkPtr>& chunks, qint64 position) {
  m_library.append(chunks);
  if (progress) progress->loadAdvanced(position);
}

void Library::loadDone(bool read) {
  m_loading = false;
  if (!read) return;
  m_c.lblCntLST->setCaption(QString::number(m_library.count()));
  if (progress) progress->loadFinished();
}

void Library::BuscarinBase2(QString& Clave) {
  Clave = trimBlanks(Clave).toLower();
  setLibraryColumns(*m_c.lstresul);
  // A newer search takes over; the results of the two never mix.
  const unsigned generation = ++m_searchGeneration;
  m_worker.cancel(LibraryWorker::Search);
  m_results.showPicks({});
  m_c.LblFolder->setCaption(QStringLiteral("Searching..."));
  m_worker.post(LibraryWorker::Search,
                [this, needle = Clave, generation, &content = m_worker.content,
                 &tags = m_worker.tags](auto& ctx) {
                  runSearch(needle, generation, content, ctx, this, &tags.alignedWith(content));
                });
}

void Library::searchFrom(unsigned generation, const PathStore& entries) {
  if (generation == m_searchGeneration) m_results.showPicks(entries);
}

void Library::searchHits(unsigned generation, Hits hits) {
  if (generation == m_searchGeneration) m_results.addPicks(std::move(hits));
}

void Library::searchDone(unsigned generation, int hits) {
  if (generation != m_searchGeneration) return;
  m_lastHits = hits;
  m_c.LblFolder->setCaption(QStringLiteral("...Ready"));
}

void Library::libraryCleared() {
  ++m_searchGeneration;
  m_results.clear();
}

void Library::showBase(const char* file) {
  const QPixmap pic = m_pictures.picture(QString::fromLatin1(file));
  if (!pic.isNull()) m_c.BaseImg->setPicture(pic);
}

void Library::cmdbusq_Click() {
  if (m_c.txtbusq->Text().isEmpty()) return;
  m_c.lstresul->setVisible(true);
  m_c.lstresul->ZOrder(0);
  showBase("\\Base0.bmp");
  QString text = m_c.txtbusq->Text();
  BuscarinBase2(text);
}

void Library::txtbusq_KeyPress(int KeyAscii) {
  if (KeyAscii == 13) cmdbusq_Click();
}

void Library::txtbusq_KeyUp() {
  if (!m_c.txtbusq->Text().isEmpty()) return;
  m_c.lstresul->setVisible(false);
  showBase("\\Base1.bmp");
}

void Library::txtbusq_MouseMove() {
  m_c.txtbusq->widget()->setFocus();
}

}  // namespace library
