#include "FolderListing.h"

#include <QString>
#include <algorithm>
#include <vector>

#include "platform/os/AudioFiles.h"
#include "platform/os/DirectoryListing.h"
#include "platform/os/NativePath.h"

namespace library {

namespace {
bool hidden(const QByteArray& name) {
  return name.startsWith('.');
}

// Names in the order a reader expects: by their text whatever the case, then by their bytes
// so that the order is the same on every run.
QList<QByteArray> inNameOrder(QList<QByteArray> names) {
  std::vector<std::pair<QString, QByteArray>> keyed;
  keyed.reserve(std::size_t(names.size()));
  for (QByteArray& n : names) keyed.emplace_back(platform::displayPath(n), std::move(n));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    const int c = a.first.compare(b.first, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  QList<QByteArray> out;
  out.reserve(qsizetype(keyed.size()));
  for (auto& k : keyed) out.append(std::move(k.second));
  return out;
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
  out.folders = inNameOrder(std::move(folders));
  out.files = inNameOrder(std::move(files));
  return out;
}

}  // namespace library
