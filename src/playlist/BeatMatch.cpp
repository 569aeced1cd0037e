#include "BeatMatch.h"

#include <algorithm>
#include <cmath>

namespace playlist {

namespace {
// The clock time from a file's position to its next beat (0 when on one).
double toNextBeat(const BeatGrid& g, double speed, double positionMs) {
  const double period = g.periodMs();
  const double beats = std::ceil((positionMs - g.firstBeatMs) / period - 1e-9);
  return (g.firstBeatMs + beats * period - positionMs) / speed;
}
}  // namespace

std::optional<TempoMatch> BeatMatch::tempo(const BeatGrid& out, double outSpeed,
                                           const BeatGrid& in) {
  if (!out.known() || !in.known() || !(outSpeed > 0)) return std::nullopt;
  const double heard = out.bpm * outSpeed;
  std::optional<TempoMatch> best;
  for (const double ratio : {1.0, 0.5, 2.0}) {
    const double speed = heard * ratio / in.bpm;
    // A hair of slack, so that exactly 8 % apart still matches.
    if (std::abs(speed - 1) > kMaxSpeedChange + 1e-9) continue;
    if (!best || std::abs(speed - 1) < std::abs(best->speed - 1)) best = TempoMatch{speed, ratio};
  }
  return best;
}

double BeatMatch::startMs(const BeatGrid& out, double outSpeed, double outPositionMs,
                          const BeatGrid& in, double inSpeed, double fromMs, double leadMs) {
  const double inPeriod = in.periodMs();
  // The first beat at the first sound: a grid that starts a little before it (the beat's
  // attack) counts as on it.
  const double skip = std::ceil((fromMs - 0.25 * inPeriod - in.firstBeatMs) / inPeriod);
  const double beat = in.firstBeatMs + std::max(0.0, skip) * inPeriod;
  const double outBeat = out.periodMs() / outSpeed;
  const double wait = toNextBeat(out, outSpeed, outPositionMs);
  double start = beat - wait * inSpeed;
  // The lead only where the file has room for it before the beat.
  if (wait < leadMs) {
    const double led = start - std::ceil((leadMs - wait) / outBeat) * outBeat * inSpeed;
    if (led >= 0) start = led;
  }
  // A beat that would have to start before the file does: a later one of the same grid.
  return start < 0 ? start + std::ceil(-start / inPeriod) * inPeriod : start;
}

double BeatMatch::offsetMs(const BeatGrid& out, double outSpeed, double outPositionMs,
                           const BeatGrid& in, double inSpeed, double inPositionMs) {
  const double apart =
      toNextBeat(in, inSpeed, inPositionMs) - toNextBeat(out, outSpeed, outPositionMs);
  const double beat = std::min(out.periodMs() / outSpeed, in.periodMs() / inSpeed);
  return apart - beat * std::floor(apart / beat + 0.5);
}

}  // namespace playlist
