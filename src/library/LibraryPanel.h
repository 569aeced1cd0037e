#pragma once

#include <memory>

#include "FolderScanner.h"
#include "Library.h"
#include "LibraryLists.h"
#include "LibraryView.h"
#include "LibraryWorker.h"
#include "PathListModel.h"

namespace library {

// The music library on its tab: the lists and their file, search, scanning, and the worker
// thread their long jobs run on.
class LibraryPanel {
 public:
  // `file` is where the library file is; rows go to `decks` and `playlist`; the menu
  // follows the tab `panel` names.
  // A scan collects files of the `fileTypes` chosen.
  LibraryPanel(QWidget* page, const LibraryFile& file, ui::Builder& build,
               ui::PictureSource& pictures, const QString& recoveryFile, audio::DeckActions& decks,
               PlaylistSink& playlist, const ui::PanelMarker& panel,
               const platform::FileTypeChoice& fileTypes);
  ~LibraryPanel();

  LibraryView& view() { return *m_view; }
  Library& lists() { return *m_lists; }
  FolderScanner& scanner() { return *m_scanner; }
  LibraryLists& rows() { return *m_rows; }
  LibraryWorker& worker() { return *m_worker; }
  PathListModel& libraryModel() { return m_library; }
  PathListModel& resultModel() { return m_results; }
  // Stops the running job where it is and ends the worker within `timeoutMs`.
  void shutdown(int timeoutMs) { m_worker->shutdown(timeoutMs); }
  // The lists' columns after the path show what `facts` holds, and repaint as it changes.
  void showFacts(TrackFactsTable& facts);

 private:
  void wire();

  // The rows outlive the views that show them.
  PathListModel m_library{false};
  PathListModel m_results{true};
  std::unique_ptr<LibraryView> m_view;
  std::unique_ptr<LibraryWorker> m_worker;
  std::unique_ptr<Library> m_lists;
  std::unique_ptr<FolderScanner> m_scanner;
  std::unique_ptr<LibraryLists> m_rows;
};

}  // namespace library
