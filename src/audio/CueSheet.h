#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audio {

// One track of a recorded mix: where it starts in the recording (in frames) and its names,
// UTF-8; an empty name is left out.
struct CueTrack {
  std::uint64_t startFrame = 0;
  std::string performer, title;
};

// The cue sheet of a recording named `fileName` (no folder) at `rate` frames a second: a FILE
// line and a TRACK per start, numbered in order, each with its INDEX 01 at MM:SS:FF (75
// frames a second, minutes past 99 as they come). Quotes inside a name become apostrophes and
// line breaks spaces, so no name breaks its line.
std::string cueSheet(const std::string& fileName, const std::vector<CueTrack>& tracks, int rate);

}  // namespace audio
