#pragma once

#include <string_view>

// Which files the player takes as audio, in one place for every list that filters them.
namespace platform {

// A file the library collects: an extension of MP3 or WMA, in any case. WAV files play in
// the pre-listening list but are not collected.
inline bool isLibraryAudio(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot != 4) return false;
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
  const char e[3] = {up(name[dot + 1]), up(name[dot + 2]), up(name[dot + 3])};
  return (e[0] == 'M' && e[1] == 'P' && e[2] == '3') || (e[0] == 'W' && e[1] == 'M' && e[2] == 'A');
}

}  // namespace platform
