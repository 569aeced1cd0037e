#include "LaunchFiles.h"

#include <QString>

#include "platform/os/AudioFiles.h"
#include "platform/os/NativePath.h"
#include "platform/os/RegularFile.h"
#include "playlist/ForeignPlaylist.h"
#include "playlist/PlaylistPaths.h"

namespace app {

namespace {
bool hasLineBreak(const QByteArray& name) {
  return name.contains('\n') || name.contains('\r');
}

// A name as a line of stderr shows it: line breaks written as \n and \r.
QByteArray quoted(const QByteArray& name) {
  QByteArray shown = name;
  shown.replace('\n', "\\n").replace('\r', "\\r");
  return "'" + shown + "'";
}
}  // namespace

LaunchFiles LaunchFiles::collect(const QList<QByteArray>& named, const QByteArray& workingFolder,
                                 platform::FileTypes types) {
  LaunchFiles out;
  for (const QByteArray& name : named) {
    // A file manager may pass URLs rather than paths.
    const bool url = playlist::urlScheme(name) == "file";
    QByteArray path = url ? playlist::fileUrlToPath(name) : name;
    if (url && path.isEmpty()) {
      out.problems.append(quoted(name) + ": not a file of this computer");
      continue;
    }
    // The system would read such a name only up to the NUL: another file than the one named.
    if (path.contains('\0')) {
      out.problems.append(quoted(name) + ": the name holds a NUL byte");
      continue;
    }
    if (hasLineBreak(path)) {
      out.problems.append(quoted(name) +
                          ": the name holds a line break, which the playlist "
                          "file cannot keep");
      continue;
    }
    path = name.isEmpty() ? QByteArray() : playlist::resolvePath(workingFolder, path);
    if (const QString what = platform::notARegularFile(path); !what.isEmpty()) {
      const bool missing = what == QLatin1String("no such file");
      out.problems.append(quoted(name) + ": " + (missing ? "" : "is ") + what.toLocal8Bit());
      continue;
    }
    if (playlist::foreignFormatOf(path) != playlist::ForeignFormat::Unknown) {
      QString error;
      // The playlist looks for each file as it takes it in, behind the shown window: a list of
      // a million entries would keep the window from showing while they are looked for here.
      const QList<playlist::ForeignEntry> entries =
          playlist::readForeignPlaylist(path, &error, [](const QByteArray&) { return true; });
      if (!error.isEmpty()) out.problems.append(error.toLocal8Bit());
      int broken = 0;
      QByteArrayList taken;
      for (const playlist::ForeignEntry& e : entries) {
        if (!platform::isPlayableAudio(platform::bytesOf(e.path), types)) continue;
        if (hasLineBreak(e.path))
          ++broken;
        else
          taken.append(e.path);
      }
      if (broken)
        out.problems.append(quoted(name) + ": " + QByteArray::number(broken) +
                            " entries left out, their names hold a line break");
      // One file found is enough to know the list gives something.
      qsizetype missing = 0;
      while (missing < taken.size() && !playlist::localFileExists(taken[missing])) ++missing;
      if (error.isEmpty() && !broken && missing == taken.size()) {
        out.problems.append(quoted(name) + ": adds nothing to the playlist, " +
                            playlist::nothingTaken(entries.size(), missing, types).toLocal8Bit());
        continue;
      }
      out.paths.append(taken);
      continue;
    }
    if (!platform::isPlayableAudio(platform::bytesOf(path), types)) {
      QByteArray why = quoted(name) + ": not an " + platform::typesNamed(types) + " file";
      // A type the other choice takes: the user may only have to choose it.
      if (platform::isPlayableAudio(platform::bytesOf(path), platform::FileTypes::AllAudio))
        why += " (\"All audio files\" in the options' file types takes it)";
      out.problems.append(why);
      continue;
    }
    out.paths.append(path);
  }
  return out;
}

}  // namespace app
