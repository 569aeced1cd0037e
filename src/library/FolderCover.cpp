#include "FolderCover.h"

#include "platform/os/NativePath.h"

namespace library {

namespace {
QByteArray folded(const QByteArray& s) {
  QByteArray out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

// The folder itself and each folder above it, up to and including the root.
template <typename F>
void forEachLevel(const QByteArray& folder, F&& f) {
  QByteArray level = folder;
  while (!level.isEmpty()) {
    if (f(level)) return;
    const QByteArray up = platform::parentFolder(level);
    if (up == level) return;
    level = up;
  }
}
}  // namespace

bool FolderCover::coveredByListed(const QByteArray& folder) const {
  bool covered = false;
  forEachLevel(folded(folder), [&](const QByteArray& level) {
    covered = m_folded.contains(level);
    return covered;
  });
  return covered;
}

void FolderCover::add(const QByteArray& folder) {
  // Tracks of one album follow each other: one comparison settles most entries.
  if (folder.isEmpty() || folder == m_last) return;
  m_last = folder;
  if (coveredByListed(folder)) return;
  // Listed folders inside this one: they sort right after it, sharing it as a prefix.
  const QByteArray inside =
      platform::isSeparatorByte(folder.back()) ? folder : folder + platform::kSeparator;
  std::size_t place = m_order.size();
  for (auto it = m_byPath.lower_bound(inside);
       it != m_byPath.end() && it->first.startsWith(inside);) {
    place = std::min(place, it->second);
    m_folded.remove(folded(it->first));
    m_order[it->second].clear();
    it = m_byPath.erase(it);
  }
  if (place == m_order.size())
    m_order.push_back(folder);
  else
    m_order[place] = folder;
  m_byPath[folder] = place;
  m_folded.insert(folded(folder));
}

std::vector<QByteArray> FolderCover::folders() const {
  std::vector<QByteArray> out;
  for (const QByteArray& f : m_order)
    if (!f.isEmpty()) out.push_back(f);
  return out;
}

CoverIndex::CoverIndex(const std::vector<QByteArray>& folders) {
  for (std::size_t i = 0; i < folders.size(); ++i) {
    QByteArray f = folded(folders[i]);
    while (f.size() > 1 && platform::isSeparatorByte(f.back()) && !platform::isRootFolder(f))
      f.chop(1);
    m_places.insert(f, int(i));
  }
}

int CoverIndex::of(const QByteArray& folder) const {
  int place = -1;
  forEachLevel(folded(folder), [&](const QByteArray& level) {
    place = m_places.value(level, -1);
    return place >= 0;
  });
  return place;
}

}  // namespace library
