#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <limits>

// The program's own files (settings, playlist, library, language file) are read only when
// they are regular files, so a pipe never holds up the start and a device never feeds it
// without end; and they are saved by replacing, as a whole, the file their path leads to.
namespace platform {

enum class ReadStatus { Ok, Missing, NotRegular, TooLarge, Failed };

struct ReadResult {
  ReadStatus status = ReadStatus::Failed;
  QByteArray bytes;
  QString error;  // why the file was not read; empty when read or missing
};

// No size limit beyond what memory holds.
inline constexpr qint64 kAnySize = std::numeric_limits<qint64>::max();

// Opens `path` (links followed) for reading when it is a regular file, never waiting on a
// pipe; `size` is then the file's size. Otherwise says why in `error`, except for a file
// that does not exist.
ReadStatus openRegularFile(const QByteArray& path, QFile& file, qint64& size, QString& error);

// Reads a regular file whole when it holds at most `maxBytes`. A file that is there but
// not read (a pipe, a device, a folder, too large) is reported in one line on stderr.
ReadResult readRegularFile(const QByteArray& path, qint64 maxBytes);

// Where a save to `path` lands: the end of its chain of symbolic links (a relative link
// read from the link's own folder), or `path` itself. Empty, with `error` set, when the
// chain loops or runs too long.
QByteArray saveTarget(const QByteArray& path, QString& error);

// How a save treats a target with several hard links.
struct SaveOptions {
  // True: the new content is written into that file itself, so that every one of its
  // names sees it (after it was written whole beside it, so a full disk changes nothing).
  // False: the name gets a new file and its other links keep the old content.
  bool throughHardLinks = false;
};

// Replaces the file that `path` leads to with `data`: a temporary file in the target's own
// folder (a short name of ours, see TempFile), written and flushed, then renamed over the
// target. An interrupted save leaves the old file whole, a link stays a link, and a target
// that is not a regular file (a folder, pipe or device) is left alone. Returns an empty
// string on success, else a sentence for the user that names the file and says why.
QString saveRegularFile(const QByteArray& path, const QByteArray& data, SaveOptions options = {});

// What stands at `path` (links followed) when it is not a regular file, in words for a
// message: "no such file", "a folder", "a pipe", "a device", "a socket"; empty for a
// regular file.
QString notARegularFile(const QByteArray& path);
// True for a regular file this user may not write (its permissions, or a read-only mount).
bool isReadOnlyFile(const QByteArray& path);

// One line on stderr, for files the program skips.
void reportSkippedFile(const QString& line);

}  // namespace platform
