#pragma once

#include <QByteArray>
#include <QList>

#include "platform/os/AudioFiles.h"

namespace app {

// The files named on the command line, made ready for a player that may run in another
// folder: each name made absolute against the launch's working folder, a playlist of
// another player (M3U, M3U8, PLS) replaced by its entries that exist, and every name that
// cannot be played left out with one line saying why (missing, a folder, a pipe or a
// device, on another computer, not audio of the chosen `types`, or a name with a NUL or a
// line break).
struct LaunchFiles {
  QList<QByteArray> paths;
  QList<QByteArray> problems;

  static LaunchFiles collect(const QList<QByteArray>& named, const QByteArray& workingFolder,
                             platform::FileTypes types);
};

}  // namespace app
