#include "CueSheet.h"

#include <cstdio>

namespace audio {

namespace {

std::string quoted(std::string text) {
  for (char& c : text) {
    if (c == '"') c = '\'';
    if (c == '\n' || c == '\r') c = ' ';
  }
  return '"' + text + '"';
}

std::string cueTime(std::uint64_t frame, int rate) {
  const std::uint64_t r = std::uint64_t(rate > 0 ? rate : 44100);
  const std::uint64_t seconds = frame / r, frames = frame % r * 75 / r;
  char text[80];
  std::snprintf(
      text, sizeof text, "%02llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 60),
      static_cast<unsigned long long>(seconds % 60), static_cast<unsigned long long>(frames));
  return text;
}

}  // namespace

std::string cueSheet(const std::string& fileName, const std::vector<CueTrack>& tracks, int rate) {
  std::string out = "FILE " + quoted(fileName) + " WAVE\n";
  int number = 0;
  for (const CueTrack& t : tracks) {
    char head[32];
    std::snprintf(head, sizeof head, "  TRACK %02d AUDIO\n", ++number);
    out += head;
    if (!t.title.empty()) out += "    TITLE " + quoted(t.title) + "\n";
    if (!t.performer.empty()) out += "    PERFORMER " + quoted(t.performer) + "\n";
    out += "    INDEX 01 " + cueTime(t.startFrame, rate) + "\n";
  }
  return out;
}

}  // namespace audio
