#include "FolderScanner.h"

#include "Library.h"
#include "platform/os/AppPaths.h"
#include "platform/os/NativePath.h"

namespace library {

namespace {
const QString kPickFolder = QStringLiteral("Click aqui para seleccionar carpeta");

// What the end of a scan left out, for the end message; empty when nothing was.
QString skippedText(const ScanSummary& s) {
  QStringList parts;
  if (s.skippedNames) parts << QStringLiteral("%1 names with line breaks").arg(s.skippedNames);
  if (s.unreadableFolders)
    parts << QStringLiteral("%1 unreadable folders").arg(s.unreadableFolders);
  if (s.tooDeep) parts << QStringLiteral("%1 folders too deep").arg(s.tooDeep);
  return parts.isEmpty()
             ? QString()
             : QStringLiteral(" (skipped: ") + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}
}  // namespace

FolderScanner::FolderScanner(LibraryView& panel, PathListModel& library, Library& lists,
                             LibraryWorker& worker, QString recoveryFile,
                             const platform::FileTypeChoice& fileTypes)
    : m_c(panel),
      m_library(library),
      m_lists(lists),
      m_worker(worker),
      m_recoveryFile(std::move(recoveryFile)),
      m_fileTypes(fileTypes) {}

void FolderScanner::message(const QString& text, Icon icon) {
  if (MsgBox) MsgBox(text, icon);
}

void FolderScanner::cmdaddbase_Click() {
  m_c.lstresul->widget()->setFocusPolicy(Qt::NoFocus);
  m_c.lstdata->widget()->setFocusPolicy(Qt::NoFocus);
  m_c.frmbusq->setVisible(true);
  m_c.frmbusq->ZOrder(0);
}

void FolderScanner::cmdbusqc_Click() {
  m_c.frmbusq->setVisible(false);
  m_c.lstresul->widget()->setFocusPolicy(Qt::StrongFocus);
  m_c.lstdata->widget()->setFocusPolicy(Qt::StrongFocus);
}

void FolderScanner::cmdbuq_Click(int Index) {
  m_c.frmbusq->setVisible(false);
  m_c.cmdaddbase->setEnabled(false);
  LISTTEMP.clear();
  if (Index == 0) {
    m_c.txtbsq->setText(kPickFolder);
    // The box shows the folder while it is taken; the scan takes the dialog's answer itself.
    const QString chosen =
        BrowseFolder ? BrowseFolder(QStringLiteral("Select folder:"), platform::musicFolder())
                     : QString();
    m_c.txtbsq->setText(chosen);
    if (chosen != kPickFolder && !chosen.isEmpty()) {
      LISTTEMP.append(chosen);
      ObtenerFoldersx(0);
    }
    m_c.txtbsq->setText(kPickFolder);
  } else if (Index == 1) {
    ObtenerFoldersx(1);
  }
  if (!ScanActive) release();
}

void FolderScanner::ObtenerFoldersx(int x) {
  ScanJob::Request request;
  request.libraryFile = libraryPath();
  request.recoveryFile = m_recoveryFile;
  request.update = x != 0;
  request.types = m_fileTypes.value();
  for (const QString& folder : LISTTEMP) request.folders.push_back(platform::nativePath(folder));
  LISTTEMP.clear();
  ScanCount = 0;
  ScanActive = true;
  m_c.cmdaddbase->setEnabled(false);
  m_worker.post(LibraryWorker::Scan,
                [this, request = std::move(request), &content = m_worker.content](auto& ctx) {
                  ScanJob(request, content, ctx, this).run();
                });
}

void FolderScanner::release() {
  m_c.lbleti->setCaption(QString());
  m_c.cmdaddbase->setEnabled(true);
  cmdbusqc_Click();
}

void FolderScanner::cmdCancelScan_Click() {
  ScanActive = false;
  m_worker.cancel(LibraryWorker::Scan);
}

void FolderScanner::scanMessage(const QString& text, bool warning) {
  message(text, warning ? Icon::Warning : Icon::Information);
}

void FolderScanner::scanReset() {
  m_library.clear();
}

void FolderScanner::scanProgress(int count, const QString& lastFound, const QString& folder) {
  ScanCount = count;
  m_c.lbleti->setCaption(QString::number(count) + QStringLiteral(" > ") +
                         (lastFound.isEmpty() ? QStringLiteral("Searching...") : lastFound));
  m_c.LblFolder->setCaption(folder);
}

void FolderScanner::scanBatch(const std::vector<ChunkPtr>& chunks) {
  m_library.append(chunks);
}

void FolderScanner::scanDone(const ScanSummary& summary) {
  m_last = summary;
  ScanCount = summary.found;
  ScanActive = false;
  release();
  if (!summary.error.isEmpty()) {
    m_c.LblFolder->setCaption(summary.error);
    message(summary.error, Icon::Warning);
    return;
  }
  m_c.LblFolder->setCaption(QStringLiteral(" > Search finish") + skippedText(summary));
}

void FolderScanner::cmdkl_Click() {
  // The lists are about to go: loads and searches still running are of no use.
  m_worker.cancel(LibraryWorker::Load | LibraryWorker::Search);
  m_worker.post(LibraryWorker::Clear, [this, file = libraryPath(), &content = m_worker.content](
                                          auto& ctx) { runClear(file, content, ctx, this); });
}

void FolderScanner::clearDone(bool existed, const QString& error) {
  if (!existed) {
    message(QStringLiteral("Library is empty"), Icon::Information);
    return;
  }
  if (!error.isEmpty()) {
    message(QStringLiteral("The library file could not be deleted: ") + error, Icon::Warning);
    return;
  }
  ScanCount = 0;
  m_library.clear();
  m_lists.libraryCleared();
  message(QStringLiteral("Library empty"), Icon::Warning);
}

}  // namespace library
