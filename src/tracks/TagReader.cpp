#include "tracks/TagReader.h"

#include <sys/stat.h>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <algorithm>

namespace tracks {

namespace {

std::string utf8(const TagLib::String& s) {
  return s.isEmpty() ? std::string() : s.to8Bit(true);
}

}  // namespace

bool readTags(const std::string& path, Tags& tags, std::int64_t& durationMs) {
  tags = Tags{};
  durationMs = 0;
  struct stat st {};
  if (path.empty() || path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0 ||
      !S_ISREG(st.st_mode))
    return false;
  try {
    TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Average);
    // TagLib takes any file named .mp3 for one; without a stream it found none.
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
  } catch (...) {  // an allocation a damaged tag asked for
    tags = Tags{};
    durationMs = 0;
    return false;
  }
}

}  // namespace tracks
