#include "PathStore.h"

#include <algorithm>

#include "platform/os/NativePath.h"

namespace library {

void PathStore::append(ChunkPtr chunk) {
  if (!chunk || chunk->size() == 0) return;
  m_firsts.push_back(m_total);
  m_total += chunk->size();
  m_chunks.push_back(std::move(chunk));
}

void PathStore::append(const std::vector<ChunkPtr>& chunks) {
  for (const ChunkPtr& c : chunks) append(c);
}

void PathStore::clear() {
  m_chunks.clear();
  m_firsts.clear();
  m_total = 0;
}

std::string_view PathStore::bytes(std::size_t i) const {
  const auto k =
      std::size_t(std::upper_bound(m_firsts.begin(), m_firsts.end(), i) - m_firsts.begin() - 1);
  return m_chunks[k]->bytes(i - m_firsts[k]);
}

QByteArray PathStore::pathBytes(std::size_t i) const {
  const std::string_view b = bytes(i);
  return QByteArray(b.data(), qsizetype(b.size()));
}

QString PathStore::path(std::size_t i) const {
  return platform::displayPath(bytes(i));
}

QString PathStore::name(std::size_t i) const {
  return platform::displayPath(fileNamePart(bytes(i)));
}

std::string_view fileNamePart(std::string_view b) {
  for (std::size_t k = b.size() >= 2 ? b.size() - 1 : 0; k-- > 0;)
    if (platform::isSeparatorByte(b[k])) return b.substr(k + 1);
  return b;
}

}  // namespace library
