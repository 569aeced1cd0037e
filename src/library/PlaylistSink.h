#pragma once

#include <QByteArray>

namespace library {

// Where the library's lists and the file browser send tracks: the playlist's add operation
// (`idxpos` -1 appends; otherwise the entry goes before that position). False when the name
// was left out (one the playlist file cannot hold).
class PlaylistSink {
 public:
  virtual ~PlaylistSink() = default;
  virtual bool SendTOlst(QByteArray& name, int idxpos) = 0;
};

}  // namespace library
