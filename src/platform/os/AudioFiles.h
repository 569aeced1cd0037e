#pragma once

#include <atomic>
#include <span>
#include <string_view>

// Which files the player takes as audio, in one place for every list that filters them. A
// name with a NUL byte is never one: the system would read it only up to that byte, so the
// file opened would not be the one whose extension was checked.
namespace platform {

// The two sets a user chooses between in the options.
enum class FileTypes : int {
  // MP3 and WMA, with WAV where a file is handed over or pre-listened to; the drop keeps its
  // own lower-case rule. The player's first set.
  MpegAndWma = 0,
  // Besides those: FLAC, Ogg Vorbis, Opus, AAC and M4A (AAC or ALAC inside), AIFF and WAV,
  // in any case, everywhere.
  AllAudio = 1,
};

// The set chosen for the run. The options set it on the window thread; the lists and the
// decks read it there, the bus's hand-over point on its own thread, and a scan takes a copy
// when it starts. Nothing else is ordered by it, so relaxed loads and stores do.
class FileTypeChoice {
 public:
  explicit FileTypeChoice(FileTypes types = FileTypes::AllAudio) : m_types(types) {}
  FileTypes value() const { return m_types.load(std::memory_order_relaxed); }
  void set(FileTypes types) { m_types.store(types, std::memory_order_relaxed); }

 private:
  std::atomic<FileTypes> m_types;
};

inline bool holdsNul(std::string_view name) {
  return name.find('\0') != std::string_view::npos;
}

// A file the library collects. The first set: an extension of MP3 or WMA, in any case; WAV
// files play in the pre-listening list but are not collected.
bool isLibraryAudio(std::string_view name, FileTypes types);

// A file dropped from the desktop onto the playlist. The first set: a name ending exactly in
// "mp3" or "wma", in lower case (the drop has always taken only those).
bool isDroppedAudio(std::string_view name, FileTypes types);

// A file handed to the player from outside (the command line, another launch, a playlist of
// another player) or opened on a deck. The first set: MP3, WMA or WAV, in any case.
bool isPlayableAudio(std::string_view name, FileTypes types);

// The extensions a deck opens, lower case ("mp3"), in the order the file dialog offers them.
std::span<const char* const> playableExtensions(FileTypes types);
// The file browser's and the pre-listening list's patterns, matched whatever the case on disk.
std::span<const char* const> browserPatterns(FileTypes types);
std::span<const char* const> samplePatterns(FileTypes types);
// The media types of the files a deck opens, as the desktop names them.
std::span<const char* const> mimeTypes(FileTypes types);
// What the set holds, for messages: "MP3, WMA or WAV".
const char* typesNamed(FileTypes types);

// True when `name` matches the wildcard `pattern` ("*" any run of characters, "?" any one),
// letters compared whatever their case.
bool matchesPattern(std::string_view name, std::string_view pattern);
bool matchesAny(std::string_view name, std::span<const char* const> patterns);

}  // namespace platform
