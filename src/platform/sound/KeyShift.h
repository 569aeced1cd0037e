#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "BlockRing.h"

namespace RubberBand {
class RubberBandStretcher;
}

namespace sound {

// Key lock, on the decoding side of one stream. The voice plays a stream faster or slower
// by resampling it, which moves its pitch with its speed; under key lock this shifts the
// pitch of the decoded frames the other way first (by the stream's rate over the playing
// frequency), keeping their length, so the two cancel and only the tempo changes.
//
// The shifted frames go into the `shifted` copy of blocks already in the ring, in order,
// at most kAhead blocks ahead of the reader, so a move of the pitch knob is heard in tune
// within about kAhead blocks plus the stretcher's delay. The stretcher's delay is taken
// out (it is primed with the frames before the first block and its first output dropped),
// so each copy holds exactly its block's frames: positions, seeks and marks are the same
// as without key lock. A run of shifted blocks starts by fading from the decoded frames into
// the shifted ones and ends by fading back, inside one block, so turning key lock on or off
// while playing never clicks. A block the reader reached first is played as decoded (the
// reader joins it smoothly to the shifted one before it), and the run starts again after
// it, fading in again.
//
// Rubber Band's R3 engine (the finer one): of the stretchers measured it alone kept a tone
// within a cent and a drum's attack within a millisecond; it costs about a tenth of a core
// per deck, here on the decoding thread, never in the output callback.
class KeyShift {
 public:
  static constexpr std::size_t kAhead = 4;  // blocks shifted ahead of the reader, at most
  static constexpr int kFadeFrames = 512;

  explicit KeyShift(int sampleRate);
  ~KeyShift();
  KeyShift(const KeyShift&) = delete;
  KeyShift& operator=(const KeyShift&) = delete;

  // Decoding side: one piece of work (feed a block, or write one); true when it did any.
  // `on`: whether key lock is wanted; `pitchScale`: the factor to shift by; `epoch`: the
  // latest seek's, whose blocks alone are worth shifting.
  bool step(BlockRing& ring, bool on, double pitchScale, std::uint32_t epoch);

 private:
  bool begin(BlockRing& ring, std::uint32_t epoch, double pitchScale);
  void feed(const float* frames, int count);
  void prime(BlockRing& ring, const AudioBlock& first);
  void collect();
  void write(AudioBlock& block);

  int m_rate;
  std::unique_ptr<RubberBand::RubberBandStretcher> m_stretcher;
  double m_scale = 1.0;
  bool m_running = false;
  bool m_stopping = false;  // the next block written fades back and ends the run
  bool m_fadeIn = false;    // the next block written fades in from the decoded frames
  bool m_fedEnd = false;    // the end of the stream went in; silence follows it
  std::uint32_t m_epoch = 0;
  std::size_t m_write = 0;  // the next block to write the copy of, by its ring number
  std::size_t m_feed = 0;   // the next block to feed
  std::int64_t m_nextFrame = 0;
  std::size_t m_drop = 0;    // output frames still to drop: the stretcher's delay
  std::vector<float> m_out;  // shifted frames not yet written, interleaved
  std::vector<float> m_left, m_right;
};

}  // namespace sound
