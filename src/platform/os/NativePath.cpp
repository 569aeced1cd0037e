#include "NativePath.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace platform {

QByteArray nativePath(const QString& path) {
  return QFile::encodeName(path);
}

bool isRegularFile(const QByteArray& path) {
#ifdef Q_OS_UNIX
  struct stat st {};
  return !path.isEmpty() && stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
#else
  return QFileInfo(QFile::decodeName(path)).isFile();
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

}  // namespace platform
