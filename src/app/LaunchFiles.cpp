#include "LaunchFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include "platform/os/AudioFiles.h"
#include "platform/os/NativePath.h"
#include "playlist/ForeignPlaylist.h"
#include "playlist/PlaylistPaths.h"

namespace app {

namespace {
QByteArray quoted(const QByteArray& name) {
  return "'" + name + "'";
}
}  // namespace

LaunchFiles LaunchFiles::collect(const QList<QByteArray>& named, const QByteArray& workingFolder) {
  LaunchFiles out;
  for (const QByteArray& name : named) {
    // A file manager may pass URLs rather than paths.
    QByteArray path = playlist::urlScheme(name) == "file" ? playlist::fileUrlToPath(name) : name;
    path = playlist::resolvePath(workingFolder, path);
    if (name.isEmpty() || path.isEmpty() || !platform::isRegularFile(path)) {
      const bool folder = !name.isEmpty() && QFileInfo(QFile::decodeName(path)).isDir();
      out.problems.append(quoted(name) + (folder ? ": is a folder" : ": no such file"));
      continue;
    }
    if (playlist::foreignFormatOf(path) != playlist::ForeignFormat::Unknown) {
      QString error;
      const QList<playlist::ForeignEntry> entries = playlist::readForeignPlaylist(path, &error);
      if (!error.isEmpty()) out.problems.append(error.toLocal8Bit());
      for (const playlist::ForeignEntry& e : entries)
        if (platform::isPlayableAudio(platform::bytesOf(e.path))) out.paths.append(e.path);
      continue;
    }
    if (!platform::isPlayableAudio(platform::bytesOf(path))) {
      out.problems.append(quoted(name) + ": not an MP3, WMA or WAV file");
      continue;
    }
    out.paths.append(path);
  }
  return out;
}

}  // namespace app
