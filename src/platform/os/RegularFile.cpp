#include "RegularFile.h"

#include <QFileInfo>
#include <cstdio>

#include "NativePath.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>
#else
#include <QSaveFile>
#endif

namespace platform {

namespace {
// As many links as the system itself follows before it calls the chain a loop.
constexpr int kMaxLinks = 40;

QString nameOf(const QByteArray& path) {
  return QFile::decodeName(path);
}

QString saveError(const QByteArray& path, const QString& reason) {
  return QStringLiteral("Cannot save %1: %2").arg(nameOf(path), reason);
}

QString notRegular(bool folder) {
  return folder ? QStringLiteral("it is a folder")
                : QStringLiteral("it is not a regular file (a pipe or a device)");
}

#ifdef Q_OS_UNIX
QString errorText(int error) {
  return qt_error_string(error);
}

// Writes all of `data` to `fd`, then flushes it to the disk; 0 or the error.
int writeAll(int fd, const QByteArray& data) {
  for (qsizetype done = 0; done < data.size();) {
    const ssize_t n = ::write(fd, data.constData() + done, std::size_t(data.size() - done));
    if (n > 0)
      done += n;
    else if (errno != EINTR)
      return errno;
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}
#endif
}  // namespace

void reportSkippedFile(const QString& line) {
  std::fprintf(stderr, "tornavel: %s\n", qUtf8Printable(line));
}

ReadStatus openRegularFile(const QByteArray& path, QFile& file, qint64& size, QString& error) {
  if (path.isEmpty() || path.contains('\0')) return ReadStatus::Missing;
#ifdef Q_OS_UNIX
  struct stat st {};
  if (::stat(path.constData(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return ReadStatus::Missing;
    error = QStringLiteral("%1 not read: %2").arg(nameOf(path), errorText(errno));
    return ReadStatus::Failed;
  }
  // Checked before opening, since opening a device can itself do something, and again on
  // what was opened, in case the name changed hands in between. Opening without waiting
  // keeps a pipe from holding the program until something writes to it.
  int fd = S_ISREG(st.st_mode) ? ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd);
    fd = -1;
  }
  if (fd < 0) {
    const bool special = !S_ISREG(st.st_mode);
    error = QStringLiteral("%1 not read: %2")
                .arg(nameOf(path), special ? notRegular(S_ISDIR(st.st_mode)) : errorText(errno));
    return special ? ReadStatus::NotRegular : ReadStatus::Failed;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    error = QStringLiteral("%1 not read: %2").arg(nameOf(path), file.errorString());
    return ReadStatus::Failed;
  }
  size = st.st_size;
  return ReadStatus::Ok;
#else
  const QFileInfo info(nameOf(path));
  if (!info.exists()) return ReadStatus::Missing;
  if (!info.isFile()) {
    error = QStringLiteral("%1 not read: %2").arg(nameOf(path), notRegular(info.isDir()));
    return ReadStatus::NotRegular;
  }
  file.setFileName(nameOf(path));
  if (!file.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("%1 not read: %2").arg(nameOf(path), file.errorString());
    return ReadStatus::Failed;
  }
  size = file.size();
  return ReadStatus::Ok;
#endif
}

ReadResult readRegularFile(const QByteArray& path, qint64 maxBytes) {
  ReadResult r;
  QFile file;
  qint64 size = 0;
  r.status = openRegularFile(path, file, size, r.error);
  if (r.status == ReadStatus::Ok && size > maxBytes) {
    r.status = ReadStatus::TooLarge;
    r.error = QStringLiteral("%1 not read: %2 bytes, more than the %3 such a file may hold")
                  .arg(nameOf(path))
                  .arg(size)
                  .arg(maxBytes);
  }
  if (r.status == ReadStatus::Ok) {
    // A file that grows while it is read is read up to the size it had when opened.
    r.bytes = file.read(size);
  }
  if (!r.error.isEmpty()) reportSkippedFile(r.error);
  return r;
}

QByteArray saveTarget(const QByteArray& path, QString& error) {
  QByteArray at = path;
#ifdef Q_OS_UNIX
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat st {};
    if (::lstat(at.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    QByteArray to(std::max<qsizetype>(qsizetype(st.st_size) + 1, 256), '\0');
    ssize_t n = 0;
    while ((n = ::readlink(at.constData(), to.data(), std::size_t(to.size()))) >= to.size())
      to.resize(to.size() * 2);  // the link changed since it was looked at
    if (n < 0) return at;
    to.truncate(n);
    at = to.startsWith('/') ? to : childPath(parentFolder(at), to);
  }
  error = saveError(path, errorText(ELOOP));
  return {};
#else
  const QFileInfo info(nameOf(path));
  if (info.isSymLink()) at = nativePath(info.symLinkTarget());
  (void)error;
  return at;
#endif
}

QString saveRegularFile(const QByteArray& path, const QByteArray& data) {
  if (path.isEmpty() || path.contains('\0')) return QStringLiteral("Cannot save: no file name.");
  QString error;
  const QByteArray target = saveTarget(path, error);
  if (target.isEmpty()) return error;
#ifdef Q_OS_UNIX
  struct stat st {};
  const bool replacing = ::stat(target.constData(), &st) == 0;
  if (replacing && !S_ISREG(st.st_mode)) return saveError(path, notRegular(S_ISDIR(st.st_mode)));

  QByteArray temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tv-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
    fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return saveError(path, errorText(errno));
  }
  if (fd < 0) return saveError(path, errorText(EEXIST));
  if (replacing) {
    // The new file keeps the owner and permissions the old one had.
    if (::geteuid() == 0) (void)!::fchown(fd, st.st_uid, st.st_gid);
    (void)::fchmod(fd, st.st_mode & 07777);
  }
  int failure = writeAll(fd, data);
  if (::close(fd) != 0 && !failure) failure = errno;
  if (!failure && ::rename(temp.constData(), target.constData()) != 0) failure = errno;
  if (failure) {
    ::unlink(temp.constData());
    return saveError(path, errorText(failure));
  }
  // The rename itself reaches the disk with its folder.
  QByteArray folder = parentFolder(target);
  const int dir = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return {};
#else
  const QFileInfo info(nameOf(target));
  if (info.exists() && !info.isFile()) return saveError(path, notRegular(info.isDir()));
  QSaveFile f(nameOf(target));
  if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
    return saveError(path, f.errorString());
  return {};
#endif
}

}  // namespace platform
