#include "TrackNames.h"

#include "library/SeparaNom.h"
#include "platform/os/NativePath.h"

namespace playlist {

namespace {
// "Title.mp3" reads "Title"; a dot without a short word after it is part of the name.
QString withoutExtension(const QString& name) {
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot <= 0 || name.size() - dot > 5) return name;
  for (qsizetype i = dot + 1; i < name.size(); ++i)
    if (!name[i].isLetterOrNumber()) return name;
  return name.left(dot).trimmed();
}
}  // namespace

TrackNames TrackNames::of(const QByteArray& path) {
  QString shown = platform::displayPath(path);
  TrackNames names;
  names.artist = library::SeparaNom(shown, 0);
  shown = platform::displayPath(path);
  names.title = withoutExtension(library::SeparaNom(shown, 1));
  if (names.title.isEmpty()) {
    // The whole name less its extension went to the artist: it is the title.
    names.title = names.artist;
    names.artist.clear();
  }
  return names;
}

QString TrackNames::joined() const {
  if (artist.isEmpty()) return title;
  return artist + QStringLiteral(" - ") + title;
}

}  // namespace playlist
