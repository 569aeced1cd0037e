#include "LibraryPanel.h"

#include <QFileDialog>
#include <QTableView>
#include <cstddef>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace library {

LibraryPanel::LibraryPanel(QWidget* page, const LibraryFile& file, ui::Builder& build,
                           ui::PictureSource& pictures, const QString& recoveryFile,
                           audio::DeckActions& decks, PlaylistSink& playlist,
                           const ui::PanelMarker& panel, const platform::FileTypeChoice& fileTypes)
    : m_view(std::make_unique<LibraryView>(page, m_library, m_results, file, build)),
      m_worker(std::make_unique<LibraryWorker>()),
      m_lists(std::make_unique<Library>(*m_view, m_library, m_results, *m_worker, pictures)),
      m_scanner(std::make_unique<FolderScanner>(*m_view, m_library, *m_lists, *m_worker,
                                                recoveryFile, fileTypes)),
      m_rows(
          std::make_unique<LibraryLists>(*m_view, m_library, m_results, decks, playlist, panel)) {
  m_scanner->BrowseFolder = [page](const QString& title, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(
        page->window(), title, startFolder,
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  };
  wire();
}

namespace {
constexpr std::size_t kManyTexts = 50000;
void releaseFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}
}  // namespace

LibraryPanel::~LibraryPanel() {
  // No job may outlive the lists it reports to.
  m_worker->shutdown(1000);
}

void LibraryPanel::showFacts(TrackFactsTable& facts) {
  m_library.setFacts(&facts);
  m_results.setFacts(&facts);
  // Tags go to the worker in the order they came, behind whatever it has to do first.
  facts.onTags([worker = m_worker.get()](TrackFactsTable::SearchTexts texts) {
    worker->post(LibraryWorker::Tags,
                 [&tags = worker->tags, texts = std::move(texts)](auto&) mutable {
                   const bool many = texts.size() >= kManyTexts;
                   tags.setAll(std::move(texts));
                   // The texts of a whole library were a small allocation each, made on the thread
                   // that read the database and freed here: some 60 MB for a million tracks that
                   // the allocator keeps, scattered among what lives on, until told to give the
                   // pages back.
                   if (many) releaseFreedMemory();
                 });
  });
  facts.onChange([this] {
    for (ui::ListView* list : {m_view->lstdata, m_view->lstresul})
      list->view()->viewport()->update();
  });
}

void LibraryPanel::wire() {
  LibraryView& v = *m_view;
  auto& lib = *m_lists;
  auto& scan = *m_scanner;
  v.cmdbusq->onClick = [&lib] { lib.cmdbusq_Click(); };
  v.txtbusq->onKeyPress = [&lib](int key) { lib.txtbusq_KeyPress(key); };
  v.txtbusq->onKeyUp = [&lib] { lib.txtbusq_KeyUp(); };
  v.txtbusq->onMouseMove = [&lib](int, int, float, float) { lib.txtbusq_MouseMove(); };
  v.cmdaddbase->onClick = [&scan] { scan.cmdaddbase_Click(); };
  v.cmdbusqc->onClick = [&scan] { scan.cmdbusqc_Click(); };
  v.cmdbuq[0]->onClick = [&scan] { scan.cmdbuq_Click(0); };
  v.cmdbuq[1]->onClick = [&scan] { scan.cmdbuq_Click(1); };
  v.txtbsq->onMouseUp = [&scan](int button, int, float, float) {
    if (button == ui::LeftButton) scan.txtbsq_Click();
  };
  v.cmdkl->onClick = [&scan] { scan.cmdkl_Click(); };
  v.cmdCancelScan->onClick = [&scan] { scan.cmdCancelScan_Click(); };
  using H = ui::MouseHandler;
  auto& rows = *m_rows;
  v.lstdata->onColumnClick = [&lib](int column) { lib.lstdata_ColumnClick(column); };
  v.lstresul->onColumnClick = [&lib](int column) { lib.lstresul_ColumnClick(column); };
  v.lstdata->onDblClick = [&rows] { rows.lstdata_DblClick(); };
  v.lstresul->onDblClick = [&rows] { rows.lstresul_DblClick(); };
  v.lstdata->onMouseDown =
      H([&rows](int b, int s, float x, float y) { rows.lstdata_MouseDown(b, s, x, y); });
  v.lstresul->onMouseDown =
      H([&rows](int b, int s, float x, float y) { rows.lstresul_MouseDown(b, s, x, y); });
  v.lstdata->onMouseMove =
      H([&rows](int b, int s, float x, float y) { rows.lstdata_MouseMove(b, s, x, y); });
  v.lstresul->onMouseMove =
      H([&rows](int b, int s, float x, float y) { rows.lstresul_MouseMove(b, s, x, y); });
  v.lstdata->onMouseUp =
      H([&rows](int b, int s, float x, float y) { rows.lstdata_MouseUp(b, s, x, y); });
  v.lstresul->onMouseUp =
      H([&rows](int b, int s, float x, float y) { rows.lstresul_MouseUp(b, s, x, y); });
  v.cmdsendlst1->onClick = [&rows] { rows.cmdsendlst_Click(1); };
}

}  // namespace library
