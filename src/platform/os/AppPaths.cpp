#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

QString musicFolder() {
  const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  return !music.isEmpty() && QFileInfo(music).isDir() ? music : QDir::homePath();
}

QString joinPath(const QString& folder, const QString& name) {
  if (folder.isEmpty()) return name;
  const QString f = QDir::toNativeSeparators(folder);
  return f.endsWith(QDir::separator()) ? f + name : f + QDir::separator() + name;
}

AppPaths AppPaths::standard() {
  AppPaths p;
  p.exeDir = QCoreApplication::applicationDirPath();
  p.dataDir = installedDataDir(p.exeDir);
  const QString home = QDir::homePath();
  QString data = qEnvironmentVariable("XDG_DATA_HOME");
  if (data.isEmpty()) data = home + QStringLiteral("/.local/share");
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty()) config = home + QStringLiteral("/.config");
  p.userDataDir = data + QStringLiteral("/tornavel");
  p.settingsFile = config + QStringLiteral("/tornavel/tornavel.ini");
  return p;
}

QString AppPaths::installedDataDir(const QString& exeDir) {
  // Found from the executable, so an installation moved as a whole (or unpacked into
  // any prefix) still finds its skins.
  const QString relative = QDir::cleanPath(exeDir + QStringLiteral("/../share/tornavel"));
  if (QFileInfo(relative).isDir()) return relative;
#ifdef TV_INSTALL_DATADIR
  return QStringLiteral(TV_INSTALL_DATADIR);
#else
  return relative;
#endif
}

AppPaths AppPaths::under(const QString& folder) {
  AppPaths p;
  p.exeDir = folder + QStringLiteral("/bin");
  p.dataDir = folder + QStringLiteral("/share");
  p.userDataDir = folder + QStringLiteral("/data");
  p.settingsFile = folder + QStringLiteral("/config/tornavel.ini");
  return p;
}

QString AppPaths::find(const QString& relative) const {
  const QString beside = joinPath(exeDir, relative);
  if (QFileInfo::exists(beside)) return beside;
  const QString installed = joinPath(dataDir, relative);
  return QFileInfo::exists(installed) ? installed : beside;
}

QString AppPaths::writable(const QString& name) const {
  const QFileInfo dir(exeDir);
  if (dir.isDir() && dir.isWritable()) return joinPath(exeDir, name);
  QDir().mkpath(userDataDir);
  return joinPath(userDataDir, name);
}

QString AppPaths::defaultLibraryFile() const {
#ifdef Q_OS_WIN
  return QStringLiteral("C:\\Database.txt");
#else
  return joinPath(userDataDir, QStringLiteral("Database.txt"));
#endif
}

QString AppPaths::defaultPlaylistFile() const {
#ifdef Q_OS_WIN
  return QStringLiteral("C:\\List.xlst");
#else
  return joinPath(userDataDir, QStringLiteral("List.xlst"));
#endif
}

}  // namespace platform
