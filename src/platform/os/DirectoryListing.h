#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <utility>

namespace platform {

// The entries of one folder in the order the file system gives them: its files and its
// subfolders (symbolic links are followed to see which they are), as the file system's own
// bytes. An unreadable folder lists nothing and says so.
struct DirectoryListing {
  QList<QByteArray> files;    // names
  QList<QByteArray> folders;  // names
  bool readable = false;
  int error = 0;  // the system's error number when the folder could not be read
  static DirectoryListing of(const QByteArray& folder);
};

// Names in the order a reader expects: by their text whatever the case, then by their bytes,
// so that the order is the same on every run and every file system.
QList<QByteArray> inNameOrder(QList<QByteArray> names);

// What identifies a folder whatever path leads to it (device and node); {0, 0} when it
// cannot be read. A walk that meets a folder again through a link knows it by this.
using FolderId = std::pair<std::uint64_t, std::uint64_t>;
FolderId folderId(const QByteArray& folder);

}  // namespace platform
