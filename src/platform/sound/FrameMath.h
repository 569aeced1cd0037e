#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace sound {

// Lengths, frame counts and milliseconds come from file headers, and a header may say
// anything: a duration of 2^63-1, a rate of 2^31-1. Every conversion here saturates
// instead of overflowing, so a lying header yields a huge but harmless number.

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::uint32_t kMsMax = std::numeric_limits<std::uint32_t>::max();

// a * b, pinned to [INT64_MIN, INT64_MAX].
inline std::int64_t saturatingMul(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  if (!__builtin_mul_overflow(a, b, &r)) return r;
  return (a < 0) != (b < 0) ? std::numeric_limits<std::int64_t>::min() : kInt64Max;
}

// a + b, pinned likewise.
inline std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  if (!__builtin_add_overflow(a, b, &r)) return r;
  return b < 0 ? std::numeric_limits<std::int64_t>::min() : kInt64Max;
}

// a - b, pinned likewise.
inline std::int64_t saturatingSub(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  if (!__builtin_sub_overflow(a, b, &r)) return r;
  return b > 0 ? std::numeric_limits<std::int64_t>::min() : kInt64Max;
}

// Whole milliseconds in `frames` at `rate` (rounded down), 0 for nothing, kMsMax at most.
inline std::uint32_t framesToMs(std::int64_t frames, int rate) {
  if (frames <= 0 || rate <= 0) return 0;
  const std::int64_t ms = saturatingMul(frames / rate, 1000) + (frames % rate) * 1000 / rate;
  return ms >= std::int64_t(kMsMax) || ms < 0 ? kMsMax : std::uint32_t(ms);
}

// The same for a fractional frame position. The small allowance keeps a position that is a
// whole number of ms, give or take rounding, on that ms instead of the one before it.
inline std::uint32_t framesToMs(double frames, int rate) {
  if (!(frames > 0.0) || rate <= 0) return 0;
  const double ms = std::floor(frames * 1000.0 / rate + 1e-6);
  return ms >= double(kMsMax) ? kMsMax : std::uint32_t(ms);
}

// The first frame at or after `ms` (rounded up), so that framesToMs() of it gives `ms` back.
inline std::int64_t msToFrames(std::uint32_t ms, int rate) {
  if (rate <= 0) return 0;
  const std::int64_t scaled = saturatingMul(std::int64_t(ms), rate);
  return scaled / 1000 + (scaled % 1000 != 0 ? 1 : 0);
}

}  // namespace sound
