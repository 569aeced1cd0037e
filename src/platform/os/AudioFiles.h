#pragma once

#include <span>
#include <string_view>

// Which files the player takes as audio, in one place for every list that filters them. A
// name with a NUL byte is never one: the system would read it only up to that byte, so the
// file opened would not be the one whose extension was checked.
namespace platform {

inline bool holdsNul(std::string_view name) {
  return name.find('\0') != std::string_view::npos;
}

// A file the library collects: an extension of MP3 or WMA, in any case. WAV files play in
// the pre-listening list but are not collected.
inline bool isLibraryAudio(std::string_view name) {
  if (holdsNul(name)) return false;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot != 4) return false;
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
  const char e[3] = {up(name[dot + 1]), up(name[dot + 2]), up(name[dot + 3])};
  return (e[0] == 'M' && e[1] == 'P' && e[2] == '3') || (e[0] == 'W' && e[1] == 'M' && e[2] == 'A');
}

// A file dropped from the desktop onto the playlist: a name ending exactly in "mp3" or "wma",
// in lower case (the drop has always taken only those).
inline bool isDroppedAudio(std::string_view name) {
  return name.size() >= 3 && !holdsNul(name) &&
         (name.substr(name.size() - 3) == "mp3" || name.substr(name.size() - 3) == "wma");
}

// A file handed to the player from outside (the command line, another launch, a playlist of
// another player): MP3, WMA or WAV, in any case.
inline bool isPlayableAudio(std::string_view name) {
  if (holdsNul(name)) return false;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot != 4) return false;
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
  const char e[3] = {up(name[dot + 1]), up(name[dot + 2]), up(name[dot + 3])};
  return isLibraryAudio(name) || (e[0] == 'W' && e[1] == 'A' && e[2] == 'V');
}

// The file browser's and the pre-listening list's patterns, matched whatever the case on disk.
inline constexpr const char* kBrowserPatterns[] = {"*.mp3", "*.wma"};
inline constexpr const char* kSamplePatterns[] = {"*.mp3", "*.wav", "*.wma"};

// True when `name` matches the wildcard `pattern` ("*" any run of characters, "?" any one),
// letters compared whatever their case.
inline bool matchesPattern(std::string_view name, std::string_view pattern) {
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
  std::size_t n = 0, p = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || up(pattern[p]) == up(name[n]))) {
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

inline bool matchesAny(std::string_view name, std::span<const char* const> patterns) {
  for (const char* pattern : patterns)
    if (matchesPattern(name, pattern)) return true;
  return false;
}

}  // namespace platform
