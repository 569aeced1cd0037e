#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "SincResampler.h"
#include "Stream.h"

namespace sound {

// One playing instance of a stream. The UI thread sets it up while it is Free or Ended
// and then publishes it as Playing; from then on the output callback owns its private
// state and the two sides talk only through the atomics below.
class Voice {
 public:
  enum State : int { Free, Playing, Stopping, Ended };
  static constexpr int kMaxFrames = 256;       // frames mixed per call of render()
  static constexpr int kHistoryFrames = 8192;  // kept for the spectrum

  Voice();
  ~Voice();
  Voice(const Voice&) = delete;
  Voice& operator=(const Voice&) = delete;

  // UI side.
  void start(Stream* stream, std::uint32_t epoch, float frequency, float volume, float pan,
             bool paused, bool master = true, bool cue = false, float gain = 1.0f);
  bool stop();  // Playing -> Stopping; false when it was not playing
  bool busy() const {
    const int s = state.load(std::memory_order_acquire);
    return s == Playing || s == Stopping;
  }
  Stream* stream() const { return m_stream; }
  void copyHistory(float* dest, int frames, int channel) const;

  // The output callback reads these; a lock inside an atomic would make it wait on the UI.
  static_assert(std::atomic<int>::is_always_lock_free);
  static_assert(std::atomic<float>::is_always_lock_free);
  static_assert(std::atomic<bool>::is_always_lock_free);
  static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
  static_assert(std::atomic<double>::is_always_lock_free);

  std::atomic<int> state{Free};
  std::atomic<float> volume{1.0f};
  std::atomic<float> frequency{44100.0f};
  std::atomic<float> pan{0.0f};
  std::atomic<bool> paused{false};
  std::atomic<std::uint32_t> wantEpoch{0};
  std::atomic<std::uint32_t> seenEpoch{0xFFFFFFFF};
  std::atomic<double> positionFrames{0.0};
  // Where the voice is heard: on the master mix at its volume, and on the cue bus at full
  // level whatever its volume (a pre-fader send). Either change glides over one block.
  std::atomic<bool> toMaster{true};
  std::atomic<bool> toCue{false};
  // The track's own level, below the volume: the master and the cue both hear it.
  std::atomic<float> streamGain{1.0f};

  // Output side: adds up to kMaxFrames frames into `mix`, and into `cue` while the voice is
  // sent there.
  void render(float* mix, float* cue, int frames, int outputRate);
  // Output side: drops blocks of an old seek from the ring head (for the inline mode).
  void dropStaleBlocks();
  // Output side, or the UI thread when no callback runs: answers a stop request.
  void acknowledgeStop();

 private:
  static long pullInput(void* self, float** data);
  void syncWithStart();
  void switchEpoch(std::uint32_t want);
  void choosePath(bool copy);
  void startConverter(std::int64_t at);
  long convert(float* out, int frames, double ratio);
  int copyInput(float* out, int frames);
  std::int64_t inputEnd() const;
  const float* framesOf(const AudioBlock* b);
  void releaseBlocks();

  Stream* m_stream = nullptr;
  std::atomic<std::uint32_t> m_serial{0};
  // Output side only.
  SincResampler m_converter{&Voice::pullInput, this};
  std::uint32_t m_seenSerial = 0;
  std::uint32_t m_epoch = 0;
  bool m_started = false;
  int m_keyLockWaits = 0;
  // At a ratio of exactly 1 the input is copied and the converter sleeps. Switching between
  // the two fades one into the other over kFadeFrames, both running meanwhile.
  bool m_copying = false;
  int m_fadeLeft = 0;
  std::int64_t m_copyFrom = 0;  // the next frame the copy takes
  // The converter: ring blocks from the oldest on that it has been handed (the last one it
  // may still read from), the frame its input starts at, where it reads and at what ratio
  // (it glides from the last one to the next over a call).
  std::size_t m_lent = 0;
  std::int64_t m_pullFrom = 0;
  double m_srcPosition = 0.0;
  double m_srcRatio = 0.0;  // 0: none yet since the last reset
  // Key lock: a block the reader got to before the decoding side shifted it plays as decoded.
  // Right after a shifted one that would be a step in the sound; the block is played from a
  // copy that starts where the shifted one ended, the difference dying away over
  // kJoinFrames (see framesOf).
  std::int64_t m_seenEnd = -1;  // the end of the blocks looked at so far, in this epoch
  bool m_lastShifted = false;
  float m_lastFrame[2] = {0.0f, 0.0f};
  std::int64_t m_joinStart = -1;  // the block m_join holds a copy of
  std::array<float, AudioBlock::kFrames * 2> m_join{};
  float m_lastGain[2] = {0.0f, 0.0f};
  float m_lastCue = 0.0f;
  double m_position = 0.0;
  std::array<float, kMaxFrames * 2> m_buffer{};
  std::array<float, kMaxFrames * 2> m_fadeBuffer{};  // the path that fades out
  std::unique_ptr<std::atomic<float>[]> m_history;
  std::atomic<std::uint32_t> m_historyWrite{0};
};

}  // namespace sound
