#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "LibraryView.h"
#include "LibraryWorker.h"
#include "PathListModel.h"
#include "ScanJob.h"

namespace library {

class Library;

// Scanning folders into the library: adding one folder, rescanning every folder the library
// covers (resumable through a recovery file), clearing the library and cancelling a scan.
// The work runs on the library worker; the panel is held (its options hidden, "Opciones"
// disabled) until the scan reports its end.
class FolderScanner : public ScanEvents {
 public:
  // A scan collects the files of the `fileTypes` chosen when it starts.
  FolderScanner(LibraryView& panel, PathListModel& library, Library& lists, LibraryWorker& worker,
                QString recoveryFile, const platform::FileTypeChoice& fileTypes);

  void cmdaddbase_Click();
  void cmdbusqc_Click();
  void cmdbuq_Click(int Index);
  void txtbsq_Click() { cmdbuq_Click(0); }
  void cmdkl_Click();
  void cmdCancelScan_Click();
  // Starts a scan of the folders in LISTTEMP: x = 0 adds them, 1 rebuilds the library from
  // the folders it covers.
  void ObtenerFoldersx(int x = 0);

  // The folder dialog ("" when cancelled) and the message box; tests replace them.
  std::function<QString(const QString& title, const QString& startFolder)> BrowseFolder;
  enum class Icon { Information, Warning };
  std::function<void(const QString& text, Icon icon)> MsgBox;

  QStringList LISTTEMP;
  int ScanCount = 0;
  bool ScanActive = false;
  const QString& recoveryFile() const { return m_recoveryFile; }
  const ScanSummary& lastScan() const { return m_last; }

  // Results from the worker.
  void scanMessage(const QString& text, bool warning) override;
  void scanReset() override;
  void scanProgress(int count, const QString& lastFound, const QString& folder) override;
  void scanBatch(const std::vector<ChunkPtr>& chunks) override;
  void scanDone(const ScanSummary& summary) override;
  void clearDone(bool existed, const QString& error) override;

 private:
  void message(const QString& text, Icon icon);
  void release();
  QString libraryPath() const { return m_c.libraryFile(); }

  LibraryView& m_c;
  PathListModel& m_library;
  Library& m_lists;
  LibraryWorker& m_worker;
  QString m_recoveryFile;
  const platform::FileTypeChoice& m_fileTypes;
  ScanSummary m_last;
};

}  // namespace library
