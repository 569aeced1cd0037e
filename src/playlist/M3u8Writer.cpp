#include "M3u8Writer.h"

#include <QStringDecoder>

#include "PlaylistPaths.h"
#include "platform/os/RegularFile.h"

namespace playlist {

namespace {

bool isValidUtf8(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString ignored = decoder(bytes);
  return !decoder.hasError();
}

// Whether a path would not come back byte for byte from a plain M3U8 line.
bool needsUrl(const QByteArray& path) {
  return !isValidUtf8(path) || path.contains('\r') || path.contains('\n') || path.startsWith('#') ||
         path.trimmed() != path || !urlScheme(path).isEmpty();
}

}  // namespace

QByteArray formatM3u8(const QList<ForeignEntry>& entries) {
  // LF line ends, as other players on this platform write them; the reader takes any.
  QByteArray out("#EXTM3U\n");
  for (const ForeignEntry& e : entries) {
    QByteArray line = e.path;
    if (line.isEmpty()) continue;
    if (needsUrl(line)) {
      if (!isAbsolutePath(line)) continue;
      line = pathToFileUrl(line);
    }
    QString title = e.title;
    title.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    out += "#EXTINF:" + QByteArray::number(e.lengthSeconds < 0 ? -1 : e.lengthSeconds) + ',' +
           title.toUtf8() + '\n' + line + '\n';
  }
  return out;
}

QString writeM3u8(const QByteArray& path, const QList<ForeignEntry>& entries) {
  if (path.isEmpty() || path.contains('\0'))
    return QStringLiteral("Cannot save the playlist: no file name.");
  // A list kept under several names (hard links) gets the new entries under every one.
  return platform::saveRegularFile(path, formatM3u8(entries), {.throughHardLinks = true});
}

}  // namespace playlist
