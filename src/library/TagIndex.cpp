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

std::uint32_t TagIndex::rowOf(Key key) const {
  return m_keys.find(key, [this](std::uint32_t row) { return m_rows[row].key; });
}

std::string_view TagIndex::text(Key key) const {
  const std::uint32_t row = rowOf(key);
  if (row == KeyTable::kNone) return {};
  return std::string_view(m_text).substr(m_rows[row].at, m_rows[row].size);
}

void TagIndex::set(Key key, std::string text) {
  // A text longer than a row can say is cut (no tag of a real file comes near 4 GB).
  if (text.size() > 0xffffffffu) text.resize(0xffffffffu);
  const auto size = static_cast<std::uint32_t>(text.size());
  std::uint32_t row = rowOf(key);
  if (row == KeyTable::kNone) {
    if (text.empty()) return;
    if (m_rows.size() >= KeyTable::kNone - 1) return;  // full
    row = static_cast<std::uint32_t>(m_rows.size());
    m_rows.push_back({key, 0, 0});
    m_keys.add(row, m_rows.size(), [this](std::uint32_t r) { return m_rows[r].key; });
  }
  Row& r = m_rows[row];
  if (std::string_view(m_text).substr(r.at, r.size) == text && (r.size || text.empty())) return;
  m_changed = true;
  if (r.size == 0) ++m_live;
  if (size == 0) --m_live;
  if (size <= r.size) {
    // In place: what is left over of the old text is garbage.
    m_text.replace(r.at, size, text);
    m_garbage += r.size - size;
    r.size = size;
  } else {
    m_garbage += r.size;
    if (m_text.size() + size > 0xffffffffu) compact();
    if (m_text.size() + size > 0xffffffffu) return;  // no room even so: the old text stays
    r.at = static_cast<std::uint32_t>(m_text.size());
    r.size = size;
    m_text += text;
  }
  if (m_garbage > (1u << 20) && m_garbage * 2 > m_text.size()) compact();
}

void TagIndex::compact() {
  std::string text;
  text.reserve(m_text.size() - m_garbage);
  for (Row& r : m_rows) {
    const auto at = static_cast<std::uint32_t>(text.size());
    text.append(m_text, r.at, r.size);
    r.at = at;
  }
  m_text = std::move(text);
  m_garbage = 0;
}

void TagIndex::setAll(std::vector<std::pair<Key, std::string>> texts) {
  std::size_t bytes = 0;
  for (const auto& [key, text] : texts) bytes += text.size();
  m_text.reserve(m_text.size() + bytes);
  m_rows.reserve(m_rows.size() + texts.size());
  m_keys.reserve(m_rows.size() + texts.size(), [this](std::uint32_t r) { return m_rows[r].key; });
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
  if (empty()) return m_aligned;
  PathChunkBuilder builder;
  for (const ChunkPtr& chunk : chunks) {
    for (std::size_t i = 0; i < chunk->size(); ++i) {
      const std::string_view t = text(keyOf(chunk->bytes(i)));
      builder.append(t.empty() ? "" : t.data(), t.size());
    }
    m_aligned.append(builder.finish());
  }
  return m_aligned;
}

}  // namespace library
