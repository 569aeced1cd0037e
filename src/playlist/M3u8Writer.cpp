#include "M3u8Writer.h"

#include <QFile>
#include <QStringDecoder>

#include "PlaylistPaths.h"

#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#endif

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

QString saveError(const QByteArray& path, const QString& reason) {
  return QStringLiteral("Cannot save %1: %2").arg(QFile::decodeName(path), reason);
}

#ifdef Q_OS_WIN

QString saveAtomically(const QByteArray& path, const QByteArray& data) {
  QSaveFile f(QString::fromLocal8Bit(path));
  if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
    return saveError(path, f.errorString());
  return {};
}

#else

// The C library takes the path's bytes as they are, where Qt's file names are text.
QString saveAtomically(const QByteArray& path, const QByteArray& data) {
  // Saving through a symbolic link replaces the file it points to, not the link.
  QByteArray target = path;
  struct stat st {};
  if (::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.constData(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  const bool replacing = ::stat(target.constData(), &st) == 0;
  if (replacing && S_ISDIR(st.st_mode)) return saveError(path, qt_error_string(EISDIR));

  QByteArray temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tv-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
    fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return saveError(path, qt_error_string(errno));
  }
  if (fd < 0) return saveError(path, qt_error_string(EEXIST));

  int error = 0;
  // The new file keeps the permissions the user gave the old one.
  if (replacing) (void)::fchmod(fd, st.st_mode & 07777);
  for (qsizetype done = 0; done < data.size() && !error;) {
    const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
    if (n > 0)
      done += n;
    else if (errno != EINTR)
      error = errno;
  }
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temp.constData(), target.constData()) != 0) error = errno;
  if (error) {
    ::unlink(temp.constData());
    return saveError(path, qt_error_string(error));
  }
  return {};
}

#endif

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
  return saveAtomically(path, formatM3u8(entries));
}

}  // namespace playlist
