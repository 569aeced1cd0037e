#pragma once

#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

#include "LibraryControls.h"
#include "PathListModel.h"

namespace library {

// Scanning folders into the library: adding one folder, rescanning every folder the library
// covers (resumable through a recovery file), clearing the library and cancelling a scan.
class FolderScanner {
 public:
  FolderScanner(LibraryControls& controls, PathListModel& library, PathListModel& results,
                QString recoveryFile);

  void cmdaddbase_Click();
  void cmdbusqc_Click();
  void cmdbuq_Click(int Index);
  void txtbsq_Click() { cmdbuq_Click(0); }
  void cmdkl_Click();
  void cmdCancelScan_Click() { ScanActive = false; }
  void ObtenerFoldersx(int x = 0);
  void BuscarArchivoFolder(const QString& ruta);
  void BuscarFolder(const QString& ruta);

  // The folder dialog ("" when cancelled) and the message box; tests replace them.
  std::function<QString(const QString& title)> BrowseFolder;
  enum class Icon { Information, Warning };
  std::function<void(const QString& text, Icon icon)> MsgBox;
  std::function<void()> pumpEvents;
  // Events run at every twentieth counted file and every subfolder once this long has passed
  // since they last ran (0: every time).
  qint64 pumpMs = 5;

  QStringList LISTTEMP;
  int ScanCount = 0;
  bool ScanActive = false;
  const QString& recoveryFile() const { return m_recoveryFile; }

 private:
  static constexpr int kMaxDepth = 1000;
  bool prepareUpdate();  // false when the folder list could not be written
  void walk(const QString& ruta, int depth);
  void pump();
  QString etiText() const;
  QString libraryPath() const { return m_c.txtBase0->Text(); }

  LibraryControls& m_c;
  PathListModel& m_library;
  PathListModel& m_results;
  QString m_recoveryFile;
  QSet<QString> m_visited;  // folders already walked in this scan (links may loop)
  // The counter label's text, built only when it is shown: the count and either the last
  // file found or " > Searching...".
  bool m_etiFound = false;
  QString m_etiName;
  QString m_folderText;  // the folder being scanned, shown with the counter
  int m_lastPumpCount = -1;
  QElapsedTimer m_sincePump, m_sincePublish;
};

}  // namespace library
