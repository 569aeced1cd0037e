#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "KeyTable.h"
#include "PathStore.h"

namespace library {

// What the search matches besides a path: a file's artist, title and album, lower-cased,
// one line each. The library worker keeps them by the hash of the path's bytes (the paths
// themselves are in the library already), and lays them out in the library's order for a
// search, block for block beside the library's own blocks. The texts lie one after another in
// one string, a row of 16 bytes each says where: a million tagged files cost some 60 MB here.
class TagIndex {
 public:
  using Key = std::uint64_t;
  static Key keyOf(std::string_view path) { return std::hash<std::string_view>{}(path); }
  // The text a search looks in; empty when the file has no tags.
  static std::string searchText(std::string_view artist, std::string_view title,
                                std::string_view album);

  // An empty text forgets the file's tags.
  void set(Key key, std::string text);
  void setAll(std::vector<std::pair<Key, std::string>> texts);
  bool empty() const { return m_live == 0; }
  std::string_view text(Key key) const;

  // Entry i of the result holds the text of entry i of `content`, in blocks of the same
  // entries as content's; empty when no file of the library has tags. Made again only
  // when the tags or the library changed since the last call.
  const PathStore& alignedWith(const PathStore& content);

 private:
  struct Row {
    Key key;
    std::uint32_t at, size;  // in m_text; size 0: forgotten
  };
  std::uint32_t rowOf(Key key) const;
  void compact();

  std::vector<Row> m_rows;
  std::string m_text;
  KeyTable m_keys;
  std::size_t m_live = 0;     // rows with a text
  std::size_t m_garbage = 0;  // bytes of m_text no row points at
  PathStore m_aligned;
  // The library's blocks m_aligned was made for, not kept alive by it.
  std::vector<std::weak_ptr<const PathChunk>> m_alignedFor;
  bool m_changed = true;
};

}  // namespace library
