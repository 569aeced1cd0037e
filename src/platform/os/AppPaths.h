#pragma once

#include <QString>

namespace platform {

// Where the player finds its files: the executable's folder first (skins, language file),
// then the installed data folder; the user's data folder for the files it writes.
struct AppPaths {
  QString exeDir;       // the folder of the executable
  QString dataDir;      // the installed data folder (may not exist)
  QString userDataDir;  // the user's data folder, e.g. ~/.local/share/tornavel
  QString settingsFile;

  // The paths of this installation and user.
  static AppPaths standard();
  // <exeDir>/../share/tornavel when that folder exists, else the data folder of the
  // prefix the program was built to be installed in.
  static QString installedDataDir(const QString& exeDir);
  // Everything under one folder, for tests.
  static AppPaths under(const QString& folder);

  // `relative` beside the executable if it is there, else in the data folder, else the
  // path beside the executable (which does not exist).
  QString find(const QString& relative) const;
  // A folder to write `name` into: the executable's folder when writable, else the
  // user's data folder.
  QString writable(const QString& name) const;
  QString defaultLibraryFile() const;
  QString defaultPlaylistFile() const;
  static QString exeName() { return QStringLiteral("tornavel"); }
};

// Where a folder dialog opens: the user's music folder (XDG_MUSIC_DIR, ~/Music when it is
// not set) when it is there, else the home folder.
QString musicFolder();

// Joins a folder and a name with the platform's separator.
QString joinPath(const QString& folder, const QString& name);

}  // namespace platform
