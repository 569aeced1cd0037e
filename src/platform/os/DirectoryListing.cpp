#include "DirectoryListing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <vector>

#include "NativePath.h"

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace platform {

QList<QByteArray> inNameOrder(QList<QByteArray> names) {
  std::vector<std::pair<QString, QByteArray>> keyed;
  keyed.reserve(std::size_t(names.size()));
  for (QByteArray& n : names) keyed.emplace_back(displayPath(n), std::move(n));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    const int c = a.first.compare(b.first, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  QList<QByteArray> out;
  out.reserve(qsizetype(keyed.size()));
  for (auto& k : keyed) out.append(std::move(k.second));
  return out;
}

DirectoryListing DirectoryListing::of(const QByteArray& folder) {
  DirectoryListing out;
#ifdef Q_OS_UNIX
  // readdir's own entry types spare one stat per file, which matters on big trees.
  DIR* dir = opendir(folder.constData());
  if (!dir) {
    out.error = errno;
    return out;
  }
  out.readable = true;
  const QByteArray base = folder.endsWith('/') ? folder : folder + '/';
  while (dirent* e = readdir(dir)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    unsigned char type = e->d_type;
    if (type == DT_LNK || type == DT_UNKNOWN) {
      struct stat st {};
      if (stat((base + n).constData(), &st) != 0) continue;  // a dangling link
      type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    if (type == DT_DIR)
      out.folders.append(QByteArray(n));
    else if (type == DT_REG)
      out.files.append(QByteArray(n));
  }
  closedir(dir);
#else
  const QDir d(QFile::decodeName(folder));
  if (!d.isReadable()) {
    out.error = d.exists() ? EACCES : ENOENT;
    return out;
  }
  out.readable = true;
  for (const QString& n : d.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort))
    out.files.append(QFile::encodeName(n));
  for (const QString& n :
       d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::NoSort))
    out.folders.append(QFile::encodeName(n));
#endif
  return out;
}

FolderId folderId(const QByteArray& folder) {
#ifdef Q_OS_UNIX
  struct stat st {};
  if (stat(folder.constData(), &st) != 0) return {0, 0};
  return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
#else
  const QString canonical = QFileInfo(QFile::decodeName(folder)).canonicalFilePath();
  return {0, qHash(canonical) | 1};
#endif
}

}  // namespace platform
