#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// What the player knows of one track besides its path: its tags, and what one decode of the
// whole file measured. A row of the track database holds one of these.
namespace tracks {

struct Tags {
  std::string artist, title, album, genre;  // UTF-8; empty when the file has none
  int year = 0;                             // 0: none
  int trackNo = 0;                          // 0: none
};

// One decode's measures. Times are in milliseconds from the first decoded sample.
struct Analysis {
  std::int64_t durationMs = 0;
  double bpm = 0;                   // 0: no steady beat found
  std::int64_t beatOffsetMs = 0;    // the first beat
  double loudnessLufs = NAN;        // EBU R 128 integrated; NAN for a silent track
  double peakDbfs = NAN;            // true peak (4x oversampled); NAN for a silent track
  std::int64_t audibleStartMs = 0;  // first point above -60 dBFS
  std::int64_t audibleEndMs = 0;    // last point above -60 dBFS
  // About 1,000 points over the track, two bytes each: peak then RMS, 0..255 of full scale.
  std::vector<std::uint8_t> waveform;
};

struct TrackRecord {
  std::string path;  // the path's bytes
  std::int64_t size = 0;
  std::int64_t mtimeNs = 0;
  Tags tags;
  Analysis analysis;
  std::int64_t analysedAt = 0;  // seconds since 1970
  bool failed = false;          // could not be read or decoded; tried again when it changes
};

}  // namespace tracks
