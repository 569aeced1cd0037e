#include "PlaylistFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "Playlist.h"

namespace playlist {

void PlaylistFile::LoadLST(const QString& path) {
  m_playlist.cmdCls_Click();
  const QFileInfo info(path);
  if (!info.isFile() || info.size() < 1) return;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return;
  while (!f.atEnd()) {
    QByteArray line = f.readLine();
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    if (!line.startsWith("FIL")) continue;
    QByteArray entry = line.mid(3);
    m_playlist.SendTOlst(entry, Playlist::kAppend);
  }
}

bool PlaylistFile::saveLST(const QString& ruta) {
  bool ok = false;
  if (!ruta.isEmpty()) {
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QSaveFile f(ruta);
    if (f.open(QIODevice::WriteOnly)) {
      f.write("[X -LIST]\r\n");
      for (int i = 1; i <= m_playlist.count(); ++i) f.write("FIL" + m_playlist.path(i) + "\r\n");
      ok = f.commit();
    }
  }
  m_playlist.cmdCls_Click();
  return ok;
}

}  // namespace playlist
