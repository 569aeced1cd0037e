#include "tracks/TagReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <taglib/apetag.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/tiostream.h>
#include <taglib/xiphcomment.h>
#include <unistd.h>

#include <algorithm>

namespace tracks {

namespace {

// A read-only file for TagLib that reads a page at its start and a page at its end with one
// pread each, and serves what falls inside them from memory. TagLib reads tags in small steps
// with a seek before each (eleven calls for an MP3), each a system call; nearly all of them
// land in the ID3v2 or FLAC header and the first audio frame at the start, or the ID3v1 and APE
// tags at the end. Reads elsewhere (a tag larger than a page, an MP4 index, a cover) go to the
// file. The pages live in the object, on the caller's stack: no allocation, and no more copied
// out of the cache than a page each.
class CachedFile : public TagLib::IOStream {
 public:
  static constexpr long kWindow = 4096;
  // A damaged size field asks for gigabytes: a read is cut at this, as at the end of a file.
  static constexpr unsigned long kLargestRead = 64 << 20;

  CachedFile(const char* name, int fd, long size) : m_name(name), m_fd(fd), m_size(size) {
    m_headSize = readInto(m_head, 0, std::min(size, kWindow));
    // The last page of the file, and the one before when the last holds less than 512 bytes:
    // the ID3v1 tag and the APE and Lyrics tags' footers lie within 300 bytes of the end.
    const long tailFrom = std::max(long(m_headSize), (std::max(size - 512, 0L)) & ~(kWindow - 1));
    m_tailStart = tailFrom;
    m_tailSize = readInto(m_tail, tailFrom, std::min(size - tailFrom, 2 * kWindow));
  }

  TagLib::FileName name() const override { return m_name; }
  TagLib::ByteVector readBlock(unsigned long length) override {
    const long n = std::max(std::min(long(std::min(length, kLargestRead)), m_size - m_pos), 0L);
    const long at = m_pos;
    if (at + n <= m_headSize) {
      m_pos += n;
      return TagLib::ByteVector(m_head + at, static_cast<unsigned>(n));
    }
    if (at >= m_tailStart && at + n <= m_tailStart + m_tailSize) {
      m_pos += n;
      return TagLib::ByteVector(m_tail + (at - m_tailStart), static_cast<unsigned>(n));
    }
    TagLib::ByteVector out(static_cast<unsigned>(n), 0);
    out.resize(static_cast<unsigned>(readInto(out.data(), at, n)));
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
  long readInto(char* to, long offset, long n) const {
    const ssize_t got = n > 0 ? ::pread(m_fd, to, static_cast<std::size_t>(n), offset) : 0;
    return std::max<long>(got, 0);
  }

  const char* m_name;
  int m_fd;
  long m_size;
  long m_pos = 0;
  long m_headSize = 0, m_tailStart = 0, m_tailSize = 0;
  char m_head[kWindow];
  char m_tail[2 * kWindow];
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
  // What file.tag() joins (the first of these that has a field gives it), asked of each once:
  // the join asks each tag twice, and each ID3v2 field is looked up and decoded every time.
  TagLib::Tag* parts[3] = {file.tag(), nullptr, nullptr};
  if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file.file()))
    parts[0] = mpeg->ID3v2Tag(), parts[1] = mpeg->APETag(), parts[2] = mpeg->ID3v1Tag();
  else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file.file()))
    parts[0] = flac->xiphComment(), parts[1] = flac->ID3v2Tag(), parts[2] = flac->ID3v1Tag();
  auto text = [&parts](TagLib::String (TagLib::Tag::*field)() const) {
    for (const TagLib::Tag* t : parts)
      if (t)
        if (TagLib::String v = (t->*field)(); !v.isEmpty()) return utf8(v);
    return std::string();
  };
  auto number = [&parts](unsigned (TagLib::Tag::*field)() const) {
    for (const TagLib::Tag* t : parts)
      if (t)
        if (const unsigned v = (t->*field)(); v > 0) return v;
    return 0u;
  };
  tags.artist = text(&TagLib::Tag::artist);
  tags.title = text(&TagLib::Tag::title);
  tags.album = text(&TagLib::Tag::album);
  tags.genre = text(&TagLib::Tag::genre);
  // TagLib reports unsigned numbers; a hostile tag's 4e9 is no year.
  const unsigned year = number(&TagLib::Tag::year), track = number(&TagLib::Tag::track);
  tags.year = year <= 9999 ? static_cast<int>(year) : 0;
  tags.trackNo = track <= 99999 ? static_cast<int>(track) : 0;
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
