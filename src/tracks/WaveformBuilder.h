#pragma once

#include <cstdint>
#include <vector>

namespace tracks {

// The overview of a track drawn beside its deck: its length cut into about kPoints spans,
// two bytes each, the span's peak and then its RMS, 0..255 of full scale. The length need
// not be known ahead: frames go into small buckets, and when there are too many, pairs of
// buckets merge and each new bucket takes twice as many frames.
class WaveformBuilder {
 public:
  static constexpr int kPoints = 1000;

  void add(const float* frames, int count);
  std::vector<std::uint8_t> finish() const;

 private:
  struct Bucket {
    float peak = 0;
    float sumSquares = 0;  // of both channels
  };
  void mergePairs();

  static constexpr int kMaxBuckets = 1 << 15;
  std::vector<Bucket> m_buckets;  // full ones
  Bucket m_current;
  std::int64_t m_bucketFrames = 64;
  std::int64_t m_fill = 0;  // frames in m_current
};

}  // namespace tracks
