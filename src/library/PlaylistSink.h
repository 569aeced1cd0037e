#pragma once

#include <QByteArray>

namespace library {

// Where the library's lists and the file browser send tracks: the playlist's add operation
// (`idxpos` -1 appends; otherwise the entry goes before that position).
class PlaylistSink {
 public:
  virtual ~PlaylistSink() = default;
  virtual void SendTOlst(QByteArray& name, int idxpos) = 0;
};

}  // namespace library
