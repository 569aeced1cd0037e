#include "tracks/WaveformBuilder.h"

#include <algorithm>
#include <cmath>

namespace tracks {

namespace {
std::uint8_t toByte(double level) {
  return std::uint8_t(std::clamp(std::lround(level * 255.0), 0L, 255L));
}
}  // namespace

void WaveformBuilder::add(const float* frames, int count) {
  for (int i = 0; i < count;) {
    const int run = int(std::min<std::int64_t>(count - i, m_bucketFrames - m_fill));
    float peak = m_current.peak, sum = 0;
    for (int n = 2 * i; n < 2 * (i + run); ++n) {
      peak = std::max(peak, std::fabs(frames[n]));
      sum += frames[n] * frames[n];
    }
    m_current.peak = peak;
    m_current.sumSquares += sum;
    m_fill += run;
    i += run;
    if (m_fill == m_bucketFrames) {
      m_buckets.push_back(m_current);
      m_current = {};
      m_fill = 0;
      if (m_buckets.size() == kMaxBuckets) mergePairs();
    }
  }
}

void WaveformBuilder::mergePairs() {
  for (std::size_t i = 0; i < m_buckets.size() / 2; ++i) {
    const Bucket& a = m_buckets[2 * i];
    const Bucket& b = m_buckets[2 * i + 1];
    m_buckets[i] = {std::max(a.peak, b.peak), a.sumSquares + b.sumSquares};
  }
  m_buckets.resize(m_buckets.size() / 2);
  m_bucketFrames *= 2;
}

std::vector<std::uint8_t> WaveformBuilder::finish() const {
  std::vector<Bucket> all = m_buckets;
  std::vector<std::int64_t> frames(all.size(), m_bucketFrames);
  if (m_fill > 0) {
    all.push_back(m_current);
    frames.push_back(m_fill);
  }
  const std::size_t points = std::min<std::size_t>(kPoints, all.size());
  std::vector<std::uint8_t> out;
  out.reserve(2 * points);
  for (std::size_t p = 0; p < points; ++p) {
    const std::size_t from = p * all.size() / points, to = (p + 1) * all.size() / points;
    float peak = 0;
    double sum = 0, n = 0;
    for (std::size_t b = from; b < to; ++b) {
      peak = std::max(peak, all[b].peak);
      sum += all[b].sumSquares;
      n += double(frames[b]);
    }
    out.push_back(toByte(peak));
    out.push_back(toByte(std::sqrt(sum / (2.0 * n))));
  }
  return out;
}

}  // namespace tracks
