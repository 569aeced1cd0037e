#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const std::string& path);
void writeBytes(const std::string& path, const Bytes& bytes);

// Ways to damage an audio file, from careless to malicious.
enum class Mutation {
  FlipBytes,     // a few random bytes anywhere
  Truncate,      // cut off at a random point
  ZeroHeader,    // the first bytes zeroed
  GarbleHeader,  // the first bytes replaced with noise
  LieRate,       // sample rate field: 0, 1, 2^31-1, 2^32-1, just over 384 kHz...
  LieChannels,   // channel count field: 0, 255, 9...
  LieSize,       // data sizes, durations and frame counts: 0 or huge
  LieLayout,     // block align, bits per sample, packet sizes, format tags
  Splice,        // a stretch of the file copied over another place
};
constexpr int kMutationCount = 9;

// Makes damaged variants of WAV, MP3 and WMA (ASF) files. The header fields it lies about
// are found by the container's own markers (chunk ids, object GUIDs, frame syncs), so it
// works on whatever the fixture encoder wrote. The same seed gives the same variants.
class MediaMutator {
 public:
  explicit MediaMutator(unsigned seed) : m_rng(seed) {}
  // A damaged copy of `file`; `what` says what was done, for test messages.
  Bytes mutate(const Bytes& file, Mutation mutation, std::string& what);

 private:
  enum class Kind { Wav, Asf, Mp3 };
  static Kind kindOf(const Bytes& file);
  std::size_t below(std::size_t n) { return n ? std::size_t(m_rng() % n) : 0; }
  bool lieRate(Bytes& b, Kind kind, std::string& what);
  bool lieChannels(Bytes& b, Kind kind, std::string& what);
  bool lieSize(Bytes& b, Kind kind, std::string& what);
  bool lieLayout(Bytes& b, Kind kind, std::string& what);

  std::mt19937 m_rng;
};

}  // namespace fixtures
