// Fuzz target: the playlist file's reader. The input is a whole file. Its entries, written
// back as a playlist file and read again, must be the same entries; and a file that gives
// entries is never one that holds no more than a header.
#include <cstdint>

#include "playlist/PlaylistText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace playlist;
  const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
  const QList<QByteArray> paths = PlaylistText::read(content);
  for (const QByteArray& p : paths)
    if (p.contains('\r') || p.contains('\n')) __builtin_trap();
  if (PlaylistText::read(PlaylistText::write(paths)) != paths) __builtin_trap();
  if (!paths.isEmpty() && !PlaylistText::holdsMoreThanAHeader(content)) __builtin_trap();
  return 0;
}
