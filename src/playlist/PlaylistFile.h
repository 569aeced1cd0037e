#pragma once

#include <QString>

namespace playlist {

class Playlist;

// The playlist file (see PlaylistText for its lines), read and written whole.
class PlaylistFile {
 public:
  explicit PlaylistFile(Playlist& playlist) : m_playlist(playlist) {}
  // Empties the list and fills it from the file. A file that holds more than a header but
  // gives no entry (written by another program, in another encoding) is copied to its name
  // with ".bak" added first, since the next save replaces it with the list as it is.
  void LoadLST(const QString& path);
  // Writes the list, then empties it. The file a link leads to is replaced once the new one
  // is complete; false (said once on stderr, and the old file untouched) when it cannot be
  // written or is not a regular file.
  bool saveLST(const QString& ruta);

 private:
  Playlist& m_playlist;
};

}  // namespace playlist
