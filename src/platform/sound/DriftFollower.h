#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

typedef struct SRC_STATE_tag SRC_STATE;

namespace sound {

// Carries the headphones' bus from the master device's callback to a second device that runs
// on a clock of its own. The master side writes stereo frames into a lock-free ring; the other
// device's callback reads them through a resampler whose speed follows the ring's fill, so
// the fill stays at kTargetMs whatever the two clocks' drift.
//
// The fill is taken as it would be if the master wrote frame by frame: the frames written
// before its latest call, plus the time since that call at the nominal rate. The master
// writes a whole callback's block at once, so the raw fill jumps by a block; counted this way
// it does not, whatever the phase of the two callbacks. A slow PI loop (settling in about twenty
// seconds) on that fill sets the resampler's speed, within ±kMaxCorrection.
//
// Nothing here blocks, locks or allocates after construction. The producer calls markTime()
// at the start of each of its calls, then write(); the consumer calls read(). When the ring
// runs dry the reader plays silence and refills to the target; a reader that comes back after
// a pause drops what is beyond the target and goes on from there.
class DriftFollower {
 public:
  static constexpr double kTargetMs = 10.0;
  static constexpr int kCapacity = 8192;  // frames, a power of two
  // Frames handed to the resampler at a time: the fill counts what it holds, so a chunk
  // is as much as the fill jumps by when it takes one.
  static constexpr int kChunk = 16;
  static constexpr double kMaxCorrection = 0.01;

  explicit DriftFollower(int sampleRate);
  ~DriftFollower();
  DriftFollower(const DriftFollower&) = delete;
  DriftFollower& operator=(const DriftFollower&) = delete;
  bool ok() const { return m_src != nullptr; }
  // The clock both devices' callbacks stamp their calls with (steady, in seconds).
  static double clockSeconds();

  // Producer side. What does not fit in the ring (a reader that has stopped) is dropped.
  void markTime(double seconds);
  void write(const float* frames, int count);

  // Consumer side: `frames` stereo frames into `out`; `seconds` on the producer's clock.
  void read(float* out, int frames, double seconds);
  // Starts the reader afresh: only while no reader runs.
  void restart();

  // For display and tests, from any thread.
  std::uint64_t framesRead() const { return m_read.load(std::memory_order_relaxed); }
  std::uint32_t underruns() const { return m_underruns.load(std::memory_order_relaxed); }
  double speed() const { return m_speedShown.load(std::memory_order_relaxed); }

 private:
  static long pullInput(void* self, float** data);
  double smoothFill(std::uint64_t written, std::uint64_t read, double seconds) const;
  void silence(float* out, int frames, bool underrun);

  double m_rate;
  double m_target;  // frames
  std::unique_ptr<float[]> m_ring;
  static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
  alignas(64) std::atomic<std::uint64_t> m_written{0};
  // The frames written before the producer's latest call (low 32 bits), its time in
  // microseconds (31 bits) and a bit that says it was set, in one word, so that the reader
  // sees them together.
  alignas(64) std::atomic<std::uint64_t> m_stamp{0};
  alignas(64) std::atomic<std::uint64_t> m_read{0};
  std::atomic<std::uint32_t> m_underruns{0};
  std::atomic<double> m_speedShown{1.0};
  // Reader only.
  SRC_STATE* m_src = nullptr;
  bool m_centring = true;
  bool m_starved = false;  // the converter found the ring empty in this read
  double m_filtered = 0.0, m_integral = 0.0, m_speed = 1.0;
  std::array<float, kChunk * 2> m_chunk{};
};

}  // namespace sound
