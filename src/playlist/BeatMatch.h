#pragma once

#include <optional>

// Matching the beat of a track that comes in to the one that plays: the speed that gives it
// the same tempo, where to start it so that its beats fall on the other's, and how far apart
// the two grids lie as they play. Times are milliseconds: in a file (its own time) or on the
// clock (what is heard; a file's time passes `speed` times as fast).
namespace playlist {

// A track's beat: its tempo and the first beat of its grid, in its file.
struct BeatGrid {
  double bpm = 0;
  double firstBeatMs = -1;
  bool known() const { return bpm > 0 && firstBeatMs >= 0; }
  double periodMs() const { return 60000.0 / bpm; }
};

struct TempoMatch {
  double speed = 1;  // the incoming deck's speed
  double ratio = 1;  // the incoming track's beats per outgoing beat, heard: 1, 2 or 1/2
};

class BeatMatch {
 public:
  // How far from its own tempo a track is taken: the speed stays within 1 -/+ this.
  static constexpr double kMaxSpeedChange = 0.08;

  // The speed at which `in` keeps the tempo of `out` heard at `outSpeed`, beat for beat or
  // at half or twice its beat, whichever needs the least change; none beyond
  // kMaxSpeedChange, or when a tempo is not known.
  static std::optional<TempoMatch> tempo(const BeatGrid& out, double outSpeed, const BeatGrid& in);

  // Where in its file `in` starts, played at `inSpeed` from now, so that its first beat at
  // or after `fromMs` lands on the next beat of `out`, which plays at `outSpeed` and is at
  // `outPositionMs` now, or the first at least `leadMs` of the clock away when the file has
  // room for that; when even the next would start before the file does, a later beat of `in`.
  static double startMs(const BeatGrid& out, double outSpeed, double outPositionMs,
                        const BeatGrid& in, double inSpeed, double fromMs, double leadMs = 0);

  // How late, on the clock, the incoming beats fall after the outgoing ones, with both
  // decks where they now are: between minus and plus half the shorter heard beat.
  static double offsetMs(const BeatGrid& out, double outSpeed, double outPositionMs,
                         const BeatGrid& in, double inSpeed, double inPositionMs);
};

}  // namespace playlist
