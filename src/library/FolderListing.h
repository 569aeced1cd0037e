#pragma once

#include <QByteArray>
#include <QList>
#include <span>

namespace library {

// What a browser list shows of one folder.
struct FolderListing {
  QByteArray folder;
  bool readable = false;
  int error = 0;              // the system's error number when the folder could not be read
  QList<QByteArray> folders;  // subfolder names
  QList<QByteArray> files;    // names of the files that match the patterns
};

// Reads `folder`: its subfolders and the files that match `patterns` (whatever the case of
// their names), each in name order whatever the case. Hidden entries (names that start with
// a dot) are left out, as file managers do.
FolderListing listFolder(const QByteArray& folder, std::span<const char* const> patterns);

}  // namespace library
