#include "AudioFiles.h"

namespace platform {

namespace {
char upper(char c) {
  return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool sameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return false;
  return true;
}

// What follows the last dot; empty when there is none.
std::string_view extensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

bool oneOf(std::string_view extension, std::span<const char* const> extensions) {
  for (const char* e : extensions)
    if (sameLetters(extension, e)) return true;
  return false;
}

constexpr const char* kFirstLibrary[] = {"mp3", "wma"};
constexpr const char* kFirstPlayable[] = {"mp3", "wma", "wav"};
// Ogg holds Vorbis (.ogg, .oga) or Opus; M4A holds AAC or ALAC; raw AAC comes as ADTS.
constexpr const char* kAllPlayable[] = {"mp3",  "wma", "wav", "flac", "ogg",  "oga",
                                        "opus", "m4a", "aac", "aif",  "aiff", "aifc"};

constexpr const char* kFirstBrowser[] = {"*.mp3", "*.wma"};
constexpr const char* kFirstSamples[] = {"*.mp3", "*.wav", "*.wma"};
constexpr const char* kAllPatterns[] = {"*.aac", "*.aif", "*.aifc", "*.aiff", "*.flac", "*.m4a",
                                        "*.mp3", "*.oga", "*.ogg",  "*.opus", "*.wav",  "*.wma"};

constexpr const char* kFirstMime[] = {"audio/mpeg", "audio/x-ms-wma", "audio/x-wav", "audio/wav"};
constexpr const char* kAllMime[] = {
    "audio/mpeg",       "audio/x-ms-wma", "audio/x-wav", "audio/wav",
    "audio/flac",       "audio/x-flac",   "audio/ogg",   "audio/x-vorbis+ogg",
    "audio/x-opus+ogg", "audio/opus",     "audio/mp4",   "audio/x-m4a",
    "audio/aac",        "audio/x-aac",    "audio/aiff",  "audio/x-aiff"};

bool first(FileTypes types) {
  return types == FileTypes::MpegAndWma;
}

using Names = std::span<const char* const>;
Names pick(FileTypes types, Names firstSet, Names allSet) {
  return first(types) ? firstSet : allSet;
}
}  // namespace

bool isLibraryAudio(std::string_view name, FileTypes types) {
  if (holdsNul(name) || name.rfind('.') == std::string_view::npos) return false;
  return oneOf(extensionOf(name), pick(types, kFirstLibrary, kAllPlayable));
}

bool isDroppedAudio(std::string_view name, FileTypes types) {
  if (!first(types)) return isLibraryAudio(name, types);
  return name.size() >= 3 && !holdsNul(name) &&
         (name.substr(name.size() - 3) == "mp3" || name.substr(name.size() - 3) == "wma");
}

bool isPlayableAudio(std::string_view name, FileTypes types) {
  if (holdsNul(name) || name.rfind('.') == std::string_view::npos) return false;
  return oneOf(extensionOf(name), playableExtensions(types));
}

std::span<const char* const> playableExtensions(FileTypes types) {
  return pick(types, kFirstPlayable, kAllPlayable);
}

std::span<const char* const> browserPatterns(FileTypes types) {
  return pick(types, kFirstBrowser, kAllPatterns);
}

std::span<const char* const> samplePatterns(FileTypes types) {
  return pick(types, kFirstSamples, kAllPatterns);
}

std::span<const char* const> mimeTypes(FileTypes types) {
  return pick(types, kFirstMime, kAllMime);
}

const char* typesNamed(FileTypes types) {
  return first(types) ? "MP3, WMA or WAV" : "MP3, WMA, WAV, FLAC, Ogg, Opus, AAC, M4A or AIFF";
}

bool matchesPattern(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || upper(pattern[p]) == upper(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      // The last star takes one more character and the rest is tried again.
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool matchesAny(std::string_view name, std::span<const char* const> patterns) {
  if (holdsNul(name)) return false;
  for (const char* pattern : patterns)
    if (matchesPattern(name, pattern)) return true;
  return false;
}

}  // namespace platform
