#include "RegularFile.h"

#include <QFileInfo>
#include <cstdio>

#include "NativePath.h"
#include "TempFile.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

#ifdef Q_OS_UNIX
// What a file that is not a regular one is, for messages.
QString kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return QStringLiteral("a folder");
  if (S_ISFIFO(mode)) return QStringLiteral("a pipe");
  if (S_ISSOCK(mode)) return QStringLiteral("a socket");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
  return QStringLiteral("not a regular file");
}

QString notRegular(mode_t mode) {
  return QStringLiteral("it is ") + kindOf(mode);
}
#else
QString notRegular(bool folder) {
  return folder ? QStringLiteral("it is a folder")
                : QStringLiteral("it is not a regular file (a pipe or a device)");
}
#endif

#ifdef Q_OS_UNIX
QString errorText(int error) {
  return qt_error_string(error);
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
                .arg(nameOf(path), special ? notRegular(st.st_mode) : errorText(errno));
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

QString saveRegularFile(const QByteArray& path, const QByteArray& data, SaveOptions options) {
  if (path.isEmpty() || path.contains('\0')) return QStringLiteral("Cannot save: no file name.");
  QString error;
  const QByteArray target = saveTarget(path, error);
  if (target.isEmpty()) return error;
#ifdef Q_OS_UNIX
  struct stat st {};
  const bool replacing = ::stat(target.constData(), &st) == 0;
  if (replacing && !S_ISREG(st.st_mode)) return saveError(path, notRegular(st.st_mode));
  TempFile temp;
  int failure = temp.create(parentFolder(target));
  if (failure) return saveError(path, errorText(failure));
  // The new file keeps the owner and permissions the old one had.
  if (replacing) temp.takeOwnership(st.st_mode, st.st_uid, st.st_gid);
  failure = temp.write(data);
  // Every name of the file sees the new content; when it cannot be written in place (a
  // file the user agreed to replace though it is read-only), this name gets the new file.
  const bool inPlace = replacing && options.throughHardLinks && st.st_nlink > 1;
  if (!failure && (!inPlace || temp.copyInto(target) != 0)) failure = temp.replace(target);
  return failure ? saveError(path, errorText(failure)) : QString();
#else
  (void)options;
  const QFileInfo info(nameOf(target));
  if (info.exists() && !info.isFile()) return saveError(path, notRegular(info.isDir()));
  QSaveFile f(nameOf(target));
  if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
    return saveError(path, f.errorString());
  return {};
#endif
}

QString notARegularFile(const QByteArray& path) {
  if (path.isEmpty() || path.contains('\0')) return QStringLiteral("no such file");
#ifdef Q_OS_UNIX
  struct stat st {};
  if (::stat(path.constData(), &st) != 0) return QStringLiteral("no such file");
  return S_ISREG(st.st_mode) ? QString() : kindOf(st.st_mode);
#else
  const QFileInfo info(nameOf(path));
  if (!info.exists()) return QStringLiteral("no such file");
  if (info.isDir()) return QStringLiteral("a folder");
  return info.isFile() ? QString() : QStringLiteral("not a regular file");
#endif
}

bool isReadOnlyFile(const QByteArray& path) {
  if (path.isEmpty() || path.contains('\0')) return false;
#ifdef Q_OS_UNIX
  struct stat st {};
  // The super-user may write anything: a file nobody may write is read-only to it too.
  return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
         (::access(path.constData(), W_OK) != 0 || (st.st_mode & 0222) == 0);
#else
  const QFileInfo info(nameOf(path));
  return info.isFile() && !info.isWritable();
#endif
}

}  // namespace platform
