#pragma once

#include <QByteArray>
#include <QList>

namespace playlist {

// The text of the playlist file: the line "[X -LIST]", then "FIL" and a path per entry.
// Paths are the file system's bytes. Lines are written with CR LF and read with CR LF, LF
// or CR alone (as old Mac editors left them); lines that do not start with "FIL" are
// skipped.
namespace PlaylistText {

QList<QByteArray> read(const QByteArray& text);
QByteArray write(const QList<QByteArray>& paths);
// True when the text holds anything besides the header and empty lines: read as no entries,
// such a file is not a list that was empty.
bool holdsMoreThanAHeader(const QByteArray& text);

}  // namespace PlaylistText

}  // namespace playlist
