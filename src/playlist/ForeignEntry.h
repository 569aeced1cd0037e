#pragma once

#include <QByteArray>
#include <QString>

namespace playlist {

// One entry of a playlist written by another player (M3U, M3U8, PLS).
struct ForeignEntry {
  QByteArray path;         // the file's full path in the platform's native 8-bit form
  QString title;           // the list's own title for the entry, if it gave one
  int lengthSeconds = -1;  // -1 when the list does not say

  bool operator==(const ForeignEntry&) const = default;
};

}  // namespace playlist
