#include "FolderScanner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "SeparaNom.h"
#include "platform/os/DirectoryListing.h"

namespace library {

namespace {
const QString kPickFolder = QStringLiteral("Click aqui para seleccionar carpeta");

// The folder that holds a path (the path up to its last separator).
QString parentFolder(const QString& path) {
  for (qsizetype k = path.size() - 1; k > 0; --k)
    if (isPathSeparator(path[k])) return path.left(k);
  return {};
}

// `inner` is `outer` or lies inside it; a listed folder only covers whole folder names, so
// "/music2" is not inside "/music".
bool within(const QString& inner, const QString& outer, Qt::CaseSensitivity cs) {
  if (!inner.startsWith(outer, cs)) return false;
  return inner.size() == outer.size() || isPathSeparator(inner[outer.size()]) ||
         (!outer.isEmpty() && isPathSeparator(outer.back()));
}
}  // namespace

FolderScanner::FolderScanner(LibraryControls& controls, PathListModel& library,
                             PathListModel& results, QString recoveryFile)
    : m_c(controls),
      m_library(library),
      m_results(results),
      m_recoveryFile(std::move(recoveryFile)) {
  pumpEvents = [] { QCoreApplication::processEvents(); };
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
    m_c.txtbsq->setText(BrowseFolder ? BrowseFolder(QStringLiteral("Select folder:")) : QString());
    const QString chosen = m_c.txtbsq->Text();
    if (chosen != kPickFolder && !chosen.isEmpty()) {
      LISTTEMP.append(chosen);
      ObtenerFoldersx(0);
      m_c.LblFolder->setCaption(QStringLiteral(" > Search finish"));
    }
    m_c.txtbsq->setText(kPickFolder);
  } else if (Index == 1) {
    ObtenerFoldersx(1);
    m_c.LblFolder->setCaption(QStringLiteral(" > Search finish"));
  }
  m_c.lbleti->setCaption(QString());
  m_c.cmdaddbase->setEnabled(true);
  cmdbusqc_Click();
  m_c.frmbusq->setVisible(false);
}

bool FolderScanner::prepareUpdate() {
  const QFileInfo leftover(m_recoveryFile);
  if (leftover.isFile() && leftover.size() >= 1) {
    // An update was interrupted: its folder list is the one to finish.
    QFile f(m_recoveryFile);
    if (f.open(QIODevice::ReadOnly)) {
      while (!f.atEnd()) {
        QByteArray line = f.readLine();
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        LISTTEMP.append(QString::fromLocal8Bit(line));
      }
    }
    QFile::remove(libraryPath());
    return true;
  }
  QString last;
  const int count = m_library.count();
  for (int i = 0; i < count; ++i) {
    if (i % 100 == 0) {
      m_c.lbleti->setCaption(QStringLiteral("Process..."));
      pumpEvents();
    }
    const QString folder = parentFolder(m_library.path(i));
    if (LISTTEMP.isEmpty()) {
      LISTTEMP.append(folder);
      last = folder;
      continue;
    }
    if (folder.compare(last, Qt::CaseInsensitive) == 0) continue;
    last = folder;
    bool covered = false;
    for (qsizetype j = 0; j < LISTTEMP.size(); ++j) {
      const QString& listed = LISTTEMP[j];
      if (listed.isEmpty()) continue;
      if (folder.size() < listed.size() && within(listed, folder, Qt::CaseSensitive)) {
        // The new folder encloses listed ones: it takes their place, once.
        LISTTEMP[j] = folder;
        for (qsizetype k = LISTTEMP.size() - 1; k > j; --k)
          if (within(LISTTEMP[k], folder, Qt::CaseSensitive)) LISTTEMP.removeAt(k);
        covered = true;
        break;
      }
      if (folder.size() >= listed.size() && within(folder, listed, Qt::CaseInsensitive)) {
        covered = true;
        break;
      }
    }
    if (!covered) LISTTEMP.append(folder);
  }
  // The folder list is written whole before the library goes, so an interrupted update can
  // always be finished from it.
  QSaveFile f(m_recoveryFile);
  if (!f.open(QIODevice::WriteOnly)) return false;
  for (const QString& folder : LISTTEMP) f.write(folder.toLocal8Bit() + "\r\n");
  if (!f.commit()) return false;
  QFile::remove(libraryPath());
  return true;
}

void FolderScanner::ObtenerFoldersx(int x) {
  if (!QFileInfo(libraryPath()).isFile()) {
    if (MsgBox) MsgBox(QStringLiteral("Now search audio files in the folder"), Icon::Information);
    if (x != 0) LISTTEMP.clear();  // without a library there is nothing to rescan
  } else if (x != 0 && !prepareUpdate()) {
    // Without a recovery file the library is not taken apart: it stays as it was.
    if (MsgBox)
      MsgBox(QStringLiteral("The folder list could not be written: ") + m_recoveryFile,
             Icon::Warning);
    LISTTEMP.clear();
    m_c.cmdaddbase->setEnabled(true);
    return;
  }
  ScanCount = 0;
  ScanActive = true;
  // The library file's folder may not exist yet on a first run.
  QDir().mkpath(QFileInfo(libraryPath()).absolutePath());
  m_visited.clear();
  m_sincePump.start();
  m_sincePublish.start();
  if (x == 1) m_library.clear();
  for (const QString& folder : QStringList(LISTTEMP)) {
    BuscarArchivoFolder(folder);
    BuscarFolder(folder);
  }
  m_library.publish();
  m_c.LblFolder->setCaption(QString());
  ScanActive = false;
  m_c.cmdaddbase->setEnabled(true);
  LISTTEMP.clear();
  QFile::remove(m_recoveryFile);
}

QString FolderScanner::etiText() const {
  return m_etiFound ? QString::number(ScanCount) + QStringLiteral(" > ") + m_etiName
                    : QString::number(ScanCount) + QStringLiteral(" > Searching...");
}

void FolderScanner::pump() {
  // The counter label and the list change only where the window can show them, and no
  // more often than the eye follows: repainting for every twenty files would cost more
  // than the scan itself.
  if (m_sincePublish.elapsed() >= 40) {
    m_c.lbleti->setCaption(etiText());
    m_c.LblFolder->setCaption(m_folderText);
    m_library.publish();
    m_sincePublish.restart();
  }
  m_lastPumpCount = ScanCount;
  m_sincePump.restart();
  pumpEvents();
}

void FolderScanner::BuscarArchivoFolder(const QString& ruta) {
  if (ruta.isEmpty() || !QFileInfo(ruta).isDir()) return;
  const QString canonical = QFileInfo(ruta).canonicalFilePath();
  m_visited.insert(canonical);
  const platform::DirectoryListing listing = platform::DirectoryListing::of(ruta);
  m_c.lbleti->setCaption(QString());
  if (!ScanActive) {
    m_c.LblFolder->setCaption(QString());
    return;
  }
  QFile out(libraryPath());
  const bool writable = out.open(QIODevice::WriteOnly | QIODevice::Append);
  m_folderText = ruta;
  const QString base = isPathSeparator(ruta.back()) ? ruta : ruta + QDir::separator();
  for (const QString& name : listing.files) {
    // Events run every twenty counted files, and at least every 50 ms in folders of other
    // files, so a folder of thousands of pictures does not stop for each one.
    m_etiFound = false;
    if ((ScanCount % 20 == 0 && ScanCount != m_lastPumpCount && m_sincePump.elapsed() >= pumpMs) ||
        m_sincePump.elapsed() >= 50)
      pump();
    if (!ScanActive) break;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QStringView ext = dot < 0 ? QStringView() : QStringView(name).mid(dot + 1);
    if (ext.compare(QLatin1String("MP3"), Qt::CaseInsensitive) == 0 ||
        ext.compare(QLatin1String("WMA"), Qt::CaseInsensitive) == 0) {
      ++ScanCount;
      m_etiFound = true;
      m_etiName = name;
      const QByteArray full = (base + name).toLocal8Bit();
      if (writable) out.write(full + "\r\n");
      m_library.store().append(full.constData(), std::size_t(full.size()));
    }
  }
  out.close();
  m_folderText.clear();
}

void FolderScanner::BuscarFolder(const QString& ruta) {
  if (ruta.isEmpty()) return;
  walk(ruta, 0);
}

void FolderScanner::walk(const QString& ruta, int depth) {
  if (depth >= kMaxDepth) return;
  const platform::DirectoryListing listing = platform::DirectoryListing::of(ruta);
  const QString base = isPathSeparator(ruta.back()) ? ruta : ruta + QDir::separator();
  for (const QString& name : listing.folders) {
    if (m_sincePump.elapsed() >= pumpMs) pump();
    const QString sub = base + name;
    // A link back to a folder already walked would loop for ever.
    if (m_visited.contains(QFileInfo(sub).canonicalFilePath())) continue;
    BuscarArchivoFolder(sub);
    walk(sub, depth + 1);
    if (!ScanActive) break;
  }
}

void FolderScanner::cmdkl_Click() {
  if (QFileInfo(libraryPath()).isFile()) {
    QFile::remove(libraryPath());
    ScanCount = 0;
    m_library.clear();
    m_results.clear();
    if (MsgBox) MsgBox(QStringLiteral("Library empty"), Icon::Warning);
  } else if (MsgBox) {
    MsgBox(QStringLiteral("Library is empty"), Icon::Information);
  }
}

}  // namespace library
