#include "PlaylistFile.h"

#include <QDir>
#include <QFileInfo>

#include "Playlist.h"
#include "PlaylistText.h"
#include "platform/os/NativePath.h"
#include "platform/os/RegularFile.h"

namespace playlist {

void PlaylistFile::LoadLST(const QString& path) {
  m_playlist.cmdCls_Click();
  const QByteArray file = platform::nativePath(path);
  const platform::ReadResult read = platform::readRegularFile(file, platform::kAnySize);
  if (read.status != platform::ReadStatus::Ok) return;
  const QList<QByteArray> paths = PlaylistText::read(read.bytes);
  m_playlist.appendNow(paths);
  if (paths.isEmpty() && PlaylistText::holdsMoreThanAHeader(read.bytes)) {
    const QString error = platform::saveRegularFile(file + ".bak", read.bytes);
    platform::reportSkippedFile(
        error.isEmpty() ? QStringLiteral("%1 holds no playlist entry; kept as %1.bak").arg(path)
                        : QStringLiteral("%1 holds no playlist entry. %2").arg(path, error));
  }
}

bool PlaylistFile::saveLST(const QString& ruta) {
  QString error = QStringLiteral("Cannot save the playlist: no file name.");
  if (!ruta.isEmpty()) {
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QList<QByteArray> paths;
    paths.reserve(m_playlist.count());
    for (int i = 1; i <= m_playlist.count(); ++i) paths.push_back(m_playlist.path(i));
    // Files opened a moment ago that had not gone in yet are kept all the same.
    paths += m_playlist.waitingPaths();
    error = platform::saveRegularFile(platform::nativePath(ruta), PlaylistText::write(paths));
  }
  if (!error.isEmpty()) platform::reportSkippedFile(error);
  m_playlist.cmdCls_Click();
  return error.isEmpty();
}

}  // namespace playlist
