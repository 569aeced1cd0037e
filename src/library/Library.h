#pragma once

#include "LibraryView.h"
#include "LibraryWorker.h"
#include "LoadJob.h"
#include "LoadProgress.h"
#include "PathListModel.h"
#include "SearchJob.h"
#include "platform/ui/PictureSource.h"

namespace library {

// The library list and its file, and the search of the library into the result list. Both
// run as jobs of the library worker; their results arrive here on the window thread.
class Library : public LoadEvents, public SearchEvents {
 public:
  Library(LibraryView& panel, PathListModel& library, PathListModel& results, LibraryWorker& worker,
          ui::PictureSource& pictures);

  // Starts reading the library file into the list; false when there is no file or it is
  // empty (the list is emptied all the same).
  bool LoadBaseDa();
  // Starts a search for `Clave`, which becomes its trimmed, lower-case form.
  void BuscarinBase2(QString& Clave);
  void cmdbusq_Click();
  void txtbusq_KeyPress(int KeyAscii);
  void txtbusq_KeyUp();
  void txtbusq_MouseMove();
  // A click on a column's heading sorts the list by it; a second click turns the order.
  void lstdata_ColumnClick(int column);
  void lstresul_ColumnClick(int column);

  bool loading() const { return m_loading; }
  // The hits of the last search that finished.
  int lastHits() const { return m_lastHits; }

  // Where the load shows its progress (the splash), if anywhere.
  LoadProgress* progress = nullptr;

  // Results from the worker.
  void loadReset() override;
  void loadOpened(qint64 bytes) override;
  void loadBatch(const std::vector<ChunkPtr>& chunks, qint64 position) override;
  void loadDone(bool read) override;
  void searchFrom(unsigned generation, const PathStore& entries) override;
  void searchHits(unsigned generation, Hits hits) override;
  void searchDone(unsigned generation, int hits) override;
  // The library was emptied by a clear: results of searches still on their way are dropped.
  void libraryCleared();

 private:
  void showBase(const char* file);

  LibraryView& m_c;
  PathListModel& m_library;
  PathListModel& m_results;
  LibraryWorker& m_worker;
  ui::PictureSource& m_pictures;
  unsigned m_searchGeneration = 0;
  int m_lastHits = 0;
  bool m_loading = false;
};

}  // namespace library
