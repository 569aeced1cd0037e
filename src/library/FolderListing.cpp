#include "FolderListing.h"

#include "platform/os/AudioFiles.h"
#include "platform/os/DirectoryListing.h"
#include "platform/os/NativePath.h"

namespace library {

namespace {
bool hidden(const QByteArray& name) {
  return name.startsWith('.');
}
}  // namespace

FolderListing listFolder(const QByteArray& folder, std::span<const char* const> patterns) {
  FolderListing out;
  out.folder = folder;
  platform::DirectoryListing entries = platform::DirectoryListing::of(folder);
  out.readable = entries.readable;
  out.error = entries.error;
  if (!out.readable) return out;
  QList<QByteArray> folders, files;
  for (QByteArray& f : entries.folders)
    if (!hidden(f)) folders.append(std::move(f));
  for (QByteArray& f : entries.files)
    if (!hidden(f) && platform::matchesAny(platform::bytesOf(f), patterns))
      files.append(std::move(f));
  out.folders = platform::inNameOrder(std::move(folders));
  out.files = platform::inNameOrder(std::move(files));
  return out;
}

}  // namespace library
