// Fuzz target: the library file's line splitting. The input's first byte picks how many
// bytes arrive per read (1 to 256), the rest is the file. It is fed in those pieces as the
// load job feeds its blocks, carrying each unfinished line into the next block; the entries
// must be exactly the file's non-empty lines, split at LF, CR LF and CR alike.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "library/PathChunk.h"

namespace {

std::vector<std::string> plainLines(std::string_view text) {
  std::vector<std::string> out;
  std::string line;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      if (!line.empty()) out.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) out.push_back(line);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t piece = std::size_t(data[0]) + 1;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  library::PathChunkBuilder block;
  std::vector<std::string> got;
  for (std::size_t at = 0;;) {
    const std::size_t n = std::min(piece, text.size() - at);
    const bool last = n == 0;
    if (!last) {
      std::memcpy(block.reserve(n), text.data() + at, n);
      block.commit(n);
      at += n;
    }
    const std::size_t tail = block.byteSize() - block.markLines(last);
    const library::ChunkPtr chunk = block.finish(tail);
    for (std::size_t i = 0; i < chunk->size(); ++i) got.emplace_back(chunk->bytes(i));
    if (last) break;
  }
  if (got != plainLines(text)) __builtin_trap();
  return 0;
}
