#pragma once

#include <array>
#include <memory>
#include <vector>

#include "SpscQueue.h"
#include "Voice.h"

namespace sound {

class DspUnit;

// The output side: mixes every voice, runs the global effect chain and writes the block.
// It runs on the output callback's thread (or inline in the manual mode) and never
// blocks, allocates or logs. The chain changes only through messages.
class Mixer {
 public:
  static constexpr int kMaxUnits = 64;

  Mixer(int voices, int sampleRate);
  int sampleRate() const { return m_rate; }
  int voiceCount() const { return int(m_voices.size()); }
  Voice& voice(int i) { return *m_voices[std::size_t(i)]; }

  // UI side: ask the callback to add or remove a unit at its next block.
  bool postAdd(DspUnit* unit) { return m_messages.push({unit, true}); }
  bool postRemove(DspUnit* unit) { return m_messages.push({unit, false}); }

  // Output side: writes `frames` interleaved stereo frames.
  void mix(float* out, int frames);
  void dropStaleBlocks();

 private:
  struct Message {
    DspUnit* unit;
    bool add;
  };
  void applyMessages();

  int m_rate;
  std::vector<std::unique_ptr<Voice>> m_voices;
  SpscQueue<Message, 256> m_messages;
  std::array<DspUnit*, kMaxUnits> m_chain{};
  int m_chainSize = 0;
};

}  // namespace sound
