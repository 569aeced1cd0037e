#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The entries of one folder in the order the file system gives them: its files and its
// subfolders (symbolic links are followed to see which they are). An unreadable folder
// lists nothing.
struct DirectoryListing {
  QStringList files;    // names
  QStringList folders;  // names
  static DirectoryListing of(const QString& folder);
};

}  // namespace platform
