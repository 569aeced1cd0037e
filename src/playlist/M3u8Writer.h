#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "ForeignEntry.h"

// Export of a playlist as an extended M3U8 that other players read.
namespace playlist {

// "#EXTM3U", then per entry "#EXTINF:<seconds or -1>,<title>" and the path. A path that
// a line cannot carry faithfully (not valid UTF-8, a line break, a leading "#" or edge
// spaces) is written as a percent-escaped file:// URL, which readers turn back into the
// same bytes; a relative path that would need that is left out.
QByteArray formatM3u8(const QList<ForeignEntry>& entries);

// Writes formatM3u8(entries) to `path`: into a temporary file in the same folder, then
// renamed over the old file, so a failed save leaves the old list whole; a file with
// several hard links is then written in place instead. Returns an empty string on
// success, else a sentence for the user.
QString writeM3u8(const QByteArray& path, const QList<ForeignEntry>& entries);

}  // namespace playlist
