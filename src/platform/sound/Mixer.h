#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "MasterLimiter.h"
#include "RecordTap.h"
#include "SpscQueue.h"
#include "Voice.h"

namespace sound {

class DriftFollower;
class DspUnit;

// The output side: mixes every voice, runs the global effect chain, limits the result and
// writes the block. It runs on the output callback's thread (or inline in the manual mode)
// and never blocks, allocates or logs. The chain changes only through messages.
//
// No change to the chain is heard as a click: a unit that joins fades in from the dry
// signal over kFadeMs, one that leaves fades out and only then drops out of the chain, and
// a bypassed unit fades out the same way but keeps its place. A unit therefore stays in use
// for up to kFadeMs after the UI has taken it out; the units live until the system closes.
class Mixer {
 public:
  static constexpr int kMaxUnits = 64;
  static constexpr double kFadeMs = 5.0;

  Mixer(int voices, int sampleRate);
  int sampleRate() const { return m_rate; }
  int voiceCount() const { return int(m_voices.size()); }
  Voice& voice(int i) { return *m_voices[std::size_t(i)]; }

  // UI side: ask the callback to add or remove a unit at its next block.
  bool postAdd(DspUnit* unit) { return m_messages.push({unit, true}); }
  bool postRemove(DspUnit* unit) { return m_messages.push({unit, false}); }

  // Output side: writes `frames` interleaved stereo frames, and the headphones' mix into
  // `cue` when it is given (the manual mode's second bus).
  void mix(float* out, int frames, float* cue = nullptr);

  // The headphones, set by the UI thread. Off: the output is the master mix and nothing
  // else (bit for bit as without a cue bus). Split: the left channel carries the master in
  // mono, the right the headphones' mix in mono (swapped on request). The headphones' mix is
  // the cue bus blended towards the master by headMix (0 cue only, 1 master only), at
  // headLevel; both glide over a block.
  std::atomic<bool> split{false};
  std::atomic<bool> swapSides{false};
  std::atomic<float> headMix{0.0f};
  std::atomic<float> headLevel{1.0f};
  // The headphones on a device of their own: their mix goes to `sink` (set before the output
  // starts), and the output is the master mix alone, bit for bit as without a cue bus.
  std::atomic<bool> cueDevice{false};
  void setCueSink(DriftFollower* sink) { m_cueSink = sink; }
  void dropStaleBlocks();
  // Takes the limited master mix for a recording while armed.
  RecordTap record;

 private:
  struct Message {
    DspUnit* unit;
    bool add;
  };
  // A unit in the chain and how much of its output is heard (0 = its input only).
  struct Slot {
    DspUnit* unit = nullptr;
    float wet = 0.0f;
    bool leaving = false;
    bool skipped = false;  // it sat out blocks while bypassed, so its state is old
  };
  void applyMessages();
  void runChain(float* block, int frames);
  void runFading(Slot& slot, float target, float* block, int frames);
  // The headphones' mix of one block, from the cue bus and the limited master, in m_cue.
  void mixHeadphones(const float* master, int frames);
  static void splitSides(float* block, const float* head, int frames, bool swap);

  int m_rate;
  float m_fadeStep;
  std::vector<std::unique_ptr<Voice>> m_voices;
  SpscQueue<Message, 256> m_messages;
  std::array<Slot, kMaxUnits> m_chain{};
  int m_chainSize = 0;
  std::array<float, Voice::kMaxFrames * 2> m_dry{};
  std::array<float, Voice::kMaxFrames * 2> m_cue{};
  MasterLimiter m_limiter;
  MasterLimiter m_cueLimiter;
  float m_lastHeadMix = 0.0f, m_lastHeadLevel = 1.0f;
  DriftFollower* m_cueSink = nullptr;
};

}  // namespace sound
