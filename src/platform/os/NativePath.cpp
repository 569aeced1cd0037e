#include "NativePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace platform {

QByteArray nativePath(const QString& path) {
  return QFile::encodeName(path);
}

bool isRegularFile(const QByteArray& path) {
#ifdef Q_OS_UNIX
  struct stat st {};
  // A NUL would end the name the system sees before the name the caller checked.
  return !path.isEmpty() && !path.contains('\0') && stat(path.constData(), &st) == 0 &&
         S_ISREG(st.st_mode);
#else
  return !path.contains('\0') && QFileInfo(QFile::decodeName(path)).isFile();
#endif
}

QByteArray parentFolder(const QByteArray& path) {
  for (qsizetype k = path.size() - 1; k >= 0; --k)
    if (isSeparatorByte(path[k])) {
      // A separator that starts the path (or follows a drive) is the root: keep it.
      const bool root = k == 0 || (k == 2 && path[1] == ':');
      return path.left(root ? k + 1 : k);
    }
  return {};
}

QByteArray childPath(const QByteArray& folder, const QByteArray& name) {
  if (folder.isEmpty()) return name;
  if (isSeparatorByte(folder.back())) return folder + name;
  return folder + kSeparator + name;
}

bool isRootFolder(const QByteArray& folder) {
  if (folder.size() == 1) return isSeparatorByte(folder[0]);
#ifdef _WIN32
  return folder.size() == 3 && folder[1] == ':' && isSeparatorByte(folder[2]);
#else
  return false;
#endif
}

QByteArray currentFolder() {
#ifdef Q_OS_UNIX
  // The bytes themselves: a folder whose name is not valid text must still be found.
  if (char* cwd = getcwd(nullptr, 0)) {
    QByteArray out(cwd);
    std::free(cwd);
    return out;
  }
#endif
  return QFile::encodeName(QDir::currentPath());
}

QByteArray homeFolder() {
#ifdef Q_OS_UNIX
  if (const char* home = std::getenv("HOME"); home && *home) return QByteArray(home);
#endif
  return QFile::encodeName(QDir::homePath());
}

QByteArray absoluteFolder(const QByteArray& typed) {
  if (typed.isEmpty()) return {};  // nothing typed names no folder
  QByteArray path = typed;
  if (path == "~" || (path.size() > 1 && path[0] == '~' && isSeparatorByte(path[1])))
    path = homeFolder() + path.mid(1);
  // The root the path starts from, kept as it is; the steps after it are tidied.
  QByteArray root;
  if (!path.isEmpty() && isSeparatorByte(path[0])) {
    root = QByteArray(1, kSeparator);
  } else if (path.size() >= 2 && path[1] == ':') {
#ifdef _WIN32
    root = path.left(2) + kSeparator;
#endif
  }
  if (root.isEmpty()) {
    const QByteArray cwd = currentFolder();
    if (cwd.isEmpty() || (!isSeparatorByte(cwd[0]) && !(cwd.size() >= 2 && cwd[1] == ':')))
      return path;
    return absoluteFolder(childPath(cwd, path));
  }
  QList<QByteArray> steps;
  QByteArray step;
  for (qsizetype k = root.size() == 1 ? 1 : 2; k <= path.size(); ++k) {
    if (k < path.size() && !isSeparatorByte(path[k])) {
      step += path[k];
      continue;
    }
    if (step == "..") {
      if (!steps.isEmpty()) steps.removeLast();
    } else if (!step.isEmpty() && step != ".") {
      steps.append(step);
    }
    step.clear();
  }
  QByteArray out = root;
  for (qsizetype i = 0; i < steps.size(); ++i) {
    if (i > 0) out += kSeparator;
    out += steps[i];
  }
  return out;
}

}  // namespace platform
