#pragma once

#include <QString>

namespace playlist {

class Playlist;

// The playlist file: the line "[X -LIST]", then "FIL" and a path per entry; paths are the
// file system's bytes, lines end in CR LF and are read with CR LF or LF.
class PlaylistFile {
 public:
  explicit PlaylistFile(Playlist& playlist) : m_playlist(playlist) {}
  void LoadLST(const QString& path);
  // Writes the list, then empties it. The file is replaced only once the new one is
  // complete; false (and the old file untouched) when it cannot be written.
  bool saveLST(const QString& ruta);

 private:
  Playlist& m_playlist;
};

}  // namespace playlist
