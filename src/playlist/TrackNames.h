#pragma once

#include <QByteArray>
#include <QString>

namespace playlist {

// The artist and title a file's name gives, split as the playlist splits it, for readers
// outside the window (the desktop's media controls, playlists written for other players).
// They show no file extension, and a name without an artist part is all title.
struct TrackNames {
  QString artist, title;

  static TrackNames of(const QByteArray& path);
  // "Artist - Title", or the title alone.
  QString joined() const;
};

}  // namespace playlist
