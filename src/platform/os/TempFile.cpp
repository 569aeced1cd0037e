#include "TempFile.h"

#include <QRandomGenerator>
#include <cerrno>

#include "NativePath.h"
#include "RegularFile.h"

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDir>
#include <QFile>
#endif

namespace platform {

namespace {
constexpr std::string_view kPrefix = ".tornavel-";
constexpr std::string_view kSuffix = ".tmp";
constexpr int kRandomChars = 10;
constexpr qsizetype kBufferBytes = 1 << 16;

QByteArray randomName() {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  QByteArray name(kPrefix.data(), qsizetype(kPrefix.size()));
  for (int i = 0; i < kRandomChars; ++i) name += kDigits[QRandomGenerator::global()->bounded(36)];
  return name + QByteArray(kSuffix.data(), qsizetype(kSuffix.size()));
}

bool isAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
}  // namespace

bool isTempName(std::string_view name) {
  if (name.size() != kPrefix.size() + kRandomChars + kSuffix.size()) return false;
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
  for (char c : name.substr(kPrefix.size(), kRandomChars))
    if (!isAlnum(c)) return false;
  return true;
}

int removeStaleTempsBeside(const QByteArray& file, bool isSettings) {
  QString ignored;
  const QByteArray target = saveTarget(file, ignored);
  if (target.isEmpty()) return 0;
  const QByteArray folder = parentFolder(target);
  const QByteArray name = target.mid(folder.isEmpty() ? 0 : folder.size() + 1);
  return removeStaleTemps(folder, isSettings ? name : QByteArray());
}

TempFile::~TempFile() {
  discard();
}

#ifdef Q_OS_UNIX

int TempFile::create(const QByteArray& folder) {
  discard();
  m_error = 0;
  m_written = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    m_path = childPath(folder, randomName());
    const int fd = ::open(m_path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      const int error = errno;
      m_path.clear();
      return error;
    }
    // A start's clean-up that found the file in the instant before the lock took it away;
    // a file still linked under its name after the lock is ours to write.
    struct stat st {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0) {
      m_fd = fd;
      return 0;
    }
    ::close(fd);
  }
  m_path.clear();
  return EEXIST;
}

int TempFile::flush() {
  for (qsizetype done = 0; !m_error && done < m_buffer.size();) {
    const ssize_t n =
        ::write(m_fd, m_buffer.constData() + done, std::size_t(m_buffer.size() - done));
    if (n > 0)
      done += n;
    else if (n == 0)
      m_error = ENOSPC;
    else if (errno != EINTR)
      m_error = errno;
  }
  m_buffer.clear();
  return m_error;
}

int TempFile::write(const char* data, qsizetype size) {
  if (m_fd < 0) return m_error ? m_error : EBADF;
  if (m_error) return m_error;
  m_buffer.append(data, size);
  m_written += size;
  return m_buffer.size() >= kBufferBytes ? flush() : 0;
}

void TempFile::takeOwnership(unsigned mode, unsigned uid, unsigned gid) {
  if (m_fd < 0) return;
  if (::geteuid() == 0) (void)!::fchown(m_fd, uid_t(uid), gid_t(gid));
  (void)::fchmod(m_fd, mode_t(mode & 07777));
}

void TempFile::takeOwnershipOf(const QByteArray& target) {
  struct stat st {};
  if (::stat(target.constData(), &st) == 0) takeOwnership(st.st_mode, st.st_uid, st.st_gid);
}

int TempFile::replace(const QByteArray& target) {
  if (m_fd < 0) return m_error ? m_error : EBADF;
  int error = flush();
  if (!error && ::fsync(m_fd) != 0) error = errno;
  // The lock goes with the descriptor; the rename follows while the file is still ours.
  if (!error && ::rename(m_path.constData(), target.constData()) != 0) error = errno;
  if (error) {
    discard();
    return m_error = error;
  }
  ::close(m_fd);
  m_fd = -1;
  m_path.clear();
  syncFolder(parentFolder(target));
  return 0;
}

int TempFile::copyInto(const QByteArray& target) {
  if (m_fd < 0) return m_error ? m_error : EBADF;
  if (int error = flush()) return error;
  if (::fsync(m_fd) != 0) return errno;
  const int out = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (out < 0) return errno;
  // The room for the new content is taken before the old is overwritten, so a full disk
  // stops the copy before it has touched a byte.
  int error = m_written > 0 ? ::posix_fallocate(out, 0, off_t(m_written)) : 0;
  if (error == EOPNOTSUPP || error == EINVAL) error = 0;  // file systems that cannot reserve
  char chunk[1 << 16];
  for (off_t at = 0; !error && at < m_written;) {
    const ssize_t n = ::pread(m_fd, chunk, sizeof chunk, at);
    if (n <= 0) {
      error = n == 0 ? EIO : errno;
      if (error == EINTR) error = 0;
      continue;
    }
    for (ssize_t done = 0; !error && done < n;) {
      const ssize_t w = ::pwrite(out, chunk + done, std::size_t(n - done), at + done);
      if (w > 0)
        done += w;
      else if (w == 0 || errno != EINTR)
        error = w == 0 ? ENOSPC : errno;
    }
    at += n;
  }
  if (!error && ::ftruncate(out, off_t(m_written)) != 0) error = errno;
  if (!error && ::fsync(out) != 0) error = errno;
  if (::close(out) != 0 && !error) error = errno;
  return error;
}

void TempFile::discard() {
  if (m_fd >= 0) {
    ::unlink(m_path.constData());
    ::close(m_fd);
    m_fd = -1;
  }
  m_path.clear();
  m_buffer.clear();
}

void syncFolder(const QByteArray& folder) {
  const int dir = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_CLOEXEC);
  if (dir < 0) return;
  (void)::fsync(dir);
  ::close(dir);
}

namespace {
// The toolkit's own leftovers of the settings file: its lock, and the copy it links under
// the file's name and six letters or digits just before renaming it into place.
bool isSettingsLeftover(std::string_view name, std::string_view settings) {
  if (settings.empty() || name.size() != settings.size() + 7 || !name.starts_with(settings) ||
      name[settings.size()] != '.')
    return false;
  for (char c : name.substr(settings.size() + 1))
    if (!isAlnum(c)) return false;
  return true;
}

// Opens `name` in `dir` when it is a regular file of this user that nobody holds locked,
// and returns it with the lock taken; -1 otherwise.
int openUnheld(int dir, const char* name) {
  const int fd = ::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
      ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  // Still the file of that name (not renamed into place since it was opened).
  struct stat now {};
  if (::fstatat(dir, name, &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_ino != st.st_ino ||
      now.st_dev != st.st_dev) {
    ::close(fd);
    return -1;
  }
  return fd;
}
}  // namespace

int removeStaleTemps(const QByteArray& folder, const QByteArray& settingsName) {
  const int dirFd = ::open(folder.isEmpty() ? "." : folder.constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return 0;
  DIR* dir = ::fdopendir(dirFd);
  if (!dir) {
    ::close(dirFd);
    return 0;
  }
  const std::string_view settings = bytesOf(settingsName);
  const QByteArray lockName = settingsName.isEmpty() ? QByteArray() : settingsName + ".lock";
  // The toolkit's half-renamed copies are stale only while nobody holds its lock.
  bool settingsFree = !settings.empty();
  std::vector<QByteArray> ours, copies;
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name(e->d_name);
    if (isTempName(name)) ours.emplace_back(e->d_name);
    if (isSettingsLeftover(name, settings)) copies.emplace_back(e->d_name);
  }
  int removed = 0;
  auto removeIfUnheld = [&](const QByteArray& name) {
    const int fd = openUnheld(dirFd, name.constData());
    if (fd < 0) return false;
    const bool gone = ::unlinkat(dirFd, name.constData(), 0) == 0;
    ::close(fd);
    removed += gone ? 1 : 0;
    return true;
  };
  for (const QByteArray& name : ours) removeIfUnheld(name);
  if (!lockName.isEmpty()) {
    struct stat st {};
    if (::fstatat(dirFd, lockName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
      settingsFree = removeIfUnheld(lockName);
  }
  if (settingsFree) {
    for (const QByteArray& name : copies) {
      struct stat st {};
      if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
          ::unlinkat(dirFd, name.constData(), 0) == 0)
        ++removed;
    }
  }
  ::closedir(dir);
  return removed;
}

#else  // Without the system's locks: a plain file, replaced through the toolkit.

int TempFile::create(const QByteArray& folder) {
  discard();
  m_error = 0;
  m_written = 0;
  m_path = childPath(folder, randomName());
  m_fd = 0;  // open, in the sense that it may be written
  return 0;
}

int TempFile::flush() {
  if (m_error || m_buffer.isEmpty()) return m_error;
  QFile f(QFile::decodeName(m_path));
  if (!f.open(QIODevice::Append) || f.write(m_buffer) != m_buffer.size()) m_error = EIO;
  m_buffer.clear();
  return m_error;
}

int TempFile::write(const char* data, qsizetype size) {
  if (m_fd < 0 || m_error) return m_error ? m_error : EBADF;
  m_buffer.append(data, size);
  m_written += size;
  return m_buffer.size() >= kBufferBytes ? flush() : 0;
}

void TempFile::takeOwnership(unsigned, unsigned, unsigned) {}
void TempFile::takeOwnershipOf(const QByteArray&) {}

int TempFile::replace(const QByteArray& target) {
  int error = flush();
  const QString to = QFile::decodeName(target);
  if (!error && QFile::exists(to) && !QFile::remove(to)) error = EACCES;
  if (!error && !QFile::rename(QFile::decodeName(m_path), to)) error = EIO;
  if (error) discard();
  m_fd = -1;
  m_path.clear();
  return m_error = error;
}

int TempFile::copyInto(const QByteArray& target) {
  return replace(target);
}

void TempFile::discard() {
  if (!m_path.isEmpty()) QFile::remove(QFile::decodeName(m_path));
  m_fd = -1;
  m_path.clear();
  m_buffer.clear();
}

void syncFolder(const QByteArray&) {}

int removeStaleTemps(const QByteArray&, const QByteArray&) {
  return 0;
}

#endif

}  // namespace platform
