#include "tracks/TagReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tiostream.h>
#include <unistd.h>

#include <algorithm>

namespace tracks {

namespace {

// A read-only file for TagLib that reads its first and last 8 KB with one pread each and
// serves what falls inside them from memory. TagLib reads tags in small steps with a seek
// before each (some twenty calls for an MP3), each a system call; nearly all of them land in
// the ID3v2 or FLAC header at the start or the ID3v1 and APE tags at the end. Reads elsewhere
// (an MP4 index, a large cover) go to the file.
class CachedFile : public TagLib::IOStream {
 public:
  static constexpr long kWindow = 8 * 1024;
  // A damaged size field asks for gigabytes: a read is cut at this, as at the end of a file.
  static constexpr unsigned long kLargestRead = 64 << 20;

  CachedFile(const char* name, int fd, long size) : m_name(name), m_fd(fd), m_size(size) {
    m_head = readAt(0, std::min(size, kWindow));
    m_tailStart = std::max(long(m_head.size()), size - kWindow);
    m_tail = readAt(m_tailStart, size - m_tailStart);
  }

  TagLib::FileName name() const override { return m_name; }
  TagLib::ByteVector readBlock(unsigned long length) override {
    const long n = std::min(long(std::min(length, kLargestRead)), m_size - m_pos);
    TagLib::ByteVector out;
    if (m_pos + n <= long(m_head.size()))
      out = m_head.mid(static_cast<unsigned>(m_pos), static_cast<unsigned>(n));
    else if (m_pos >= m_tailStart && m_pos + n <= m_tailStart + long(m_tail.size()))
      out = m_tail.mid(static_cast<unsigned>(m_pos - m_tailStart), static_cast<unsigned>(n));
    else
      out = readAt(m_pos, n);
    m_pos += out.size();
    return out;
  }
  void writeBlock(const TagLib::ByteVector&) override {}
  void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
  void removeBlock(unsigned long, unsigned long) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return m_fd >= 0; }
  void seek(long offset, Position p) override {
    const long base = p == Beginning ? 0 : p == Current ? m_pos : m_size;
    m_pos = std::clamp(base + offset, 0L, m_size);
  }
  long tell() const override { return m_pos; }
  long length() override { return m_size; }
  void truncate(long) override {}

 private:
  TagLib::ByteVector readAt(long offset, long n) const {
    TagLib::ByteVector out(static_cast<unsigned>(std::max(n, 0L)), 0);
    const ssize_t got = n > 0 ? ::pread(m_fd, out.data(), out.size(), offset) : 0;
    out.resize(static_cast<unsigned>(std::max<ssize_t>(got, 0)));
    return out;
  }

  const char* m_name;
  int m_fd;
  long m_size;
  long m_pos = 0;
  long m_tailStart = 0;
  TagLib::ByteVector m_head, m_tail;
};

std::string utf8(const TagLib::String& s) {
  return s.isEmpty() ? std::string() : s.to8Bit(true);
}

bool read(const std::string& path, int fd, long size, Tags& tags, std::int64_t& durationMs) {
  CachedFile stream(path.c_str(), fd, size);
  TagLib::FileRef file(&stream, true, TagLib::AudioProperties::Average);
  // TagLib takes any file that starts like an MP3 for one; without a stream it found none.
  const TagLib::AudioProperties* props = file.isNull() ? nullptr : file.audioProperties();
  if (!props || props->sampleRate() <= 0) return false;
  if (const TagLib::Tag* tag = file.tag()) {
    tags.artist = utf8(tag->artist());
    tags.title = utf8(tag->title());
    tags.album = utf8(tag->album());
    tags.genre = utf8(tag->genre());
    // TagLib reports unsigned numbers; a hostile tag's 4e9 is no year.
    tags.year = tag->year() <= 9999 ? static_cast<int>(tag->year()) : 0;
    tags.trackNo = tag->track() <= 99999 ? static_cast<int>(tag->track()) : 0;
  }
  durationMs = std::max(0, props->lengthInMilliseconds());
  return true;
}

}  // namespace

bool readTags(const std::string& path, Tags& tags, std::int64_t& durationMs) {
  tags = Tags{};
  durationMs = 0;
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  // Non-blocking, so that a FIFO put in the file's place after a listing does not block the
  // open; what is opened is then checked, not the name.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = false;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    try {
      ok = read(path, fd, static_cast<long>(st.st_size), tags, durationMs);
    } catch (...) {  // an allocation a damaged tag asked for
      ok = false;
    }
  }
  ::close(fd);
  if (!ok) {
    tags = Tags{};
    durationMs = 0;
  }
  return ok;
}

}  // namespace tracks
