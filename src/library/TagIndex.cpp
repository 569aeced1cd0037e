#include "TagIndex.h"

namespace library {

std::string TagIndex::searchText(std::string_view artist, std::string_view title,
                                 std::string_view album) {
  if (artist.empty() && title.empty() && album.empty()) return {};
  std::string text;
  text.reserve(artist.size() + title.size() + album.size() + 2);
  // A line end between the fields, so that no search text (which has none) matches across two.
  text.append(artist).append(1, '\n').append(title).append(1, '\n').append(album);
  return text;
}

void TagIndex::set(Key key, std::string text) {
  if (text.empty()) {
    m_changed |= m_texts.erase(key) > 0;
    return;
  }
  m_texts.insert_or_assign(key, std::move(text));
  m_changed = true;
}

void TagIndex::setAll(std::vector<std::pair<Key, std::string>> texts) {
  m_texts.reserve(m_texts.size() + texts.size());
  for (auto& [key, text] : texts) set(key, std::move(text));
}

const PathStore& TagIndex::alignedWith(const PathStore& content) {
  const auto& chunks = content.chunks();
  bool same = !m_changed && m_alignedFor.size() == chunks.size();
  for (std::size_t k = 0; same && k < chunks.size(); ++k)
    same = m_alignedFor[k].lock() == chunks[k];
  if (same) return m_aligned;
  const BlockReuse reuse;
  m_aligned.clear();
  m_alignedFor.assign(chunks.begin(), chunks.end());
  m_changed = false;
  if (m_texts.empty()) return m_aligned;
  PathChunkBuilder builder;
  for (const ChunkPtr& chunk : chunks) {
    for (std::size_t i = 0; i < chunk->size(); ++i) {
      const auto it = m_texts.find(keyOf(chunk->bytes(i)));
      if (it == m_texts.end())
        builder.append("", 0);
      else
        builder.append(it->second.data(), it->second.size());
    }
    m_aligned.append(builder.finish());
  }
  return m_aligned;
}

}  // namespace library
