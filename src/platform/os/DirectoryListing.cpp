#include "DirectoryListing.h"

#include <QDir>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace platform {

DirectoryListing DirectoryListing::of(const QString& folder) {
  DirectoryListing out;
#ifdef Q_OS_UNIX
  // readdir's own entry types spare one stat per file, which matters on big trees.
  const QByteArray base = QFile::encodeName(folder);
  DIR* dir = opendir(base.constData());
  if (!dir) return out;
  while (dirent* e = readdir(dir)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    unsigned char type = e->d_type;
    if (type == DT_LNK || type == DT_UNKNOWN) {
      struct stat st {};
      const QByteArray full = base + '/' + n;
      if (stat(full.constData(), &st) != 0) continue;  // a dangling link
      type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    if (type == DT_DIR)
      out.folders.append(QFile::decodeName(n));
    else if (type == DT_REG)
      out.files.append(QFile::decodeName(n));
  }
  closedir(dir);
#else
  const QDir d(folder);
  out.files = d.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
  out.folders =
      d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::NoSort);
#endif
  return out;
}

}  // namespace platform
