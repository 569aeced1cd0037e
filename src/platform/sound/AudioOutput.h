#pragma once

#include <cstdint>

namespace sound {

enum class Output;
class Mixer;

// The SDL audio device that pulls blocks from the mixer on SDL's own thread.
class AudioOutput {
 public:
  ~AudioOutput();
  // Opens the default device, or SDL's real-time paced silent driver when asked for
  // Silent or when no device opens. Returns what it opened; false when neither works.
  bool open(Output requested, Output& opened, int sampleRate);
  void start(Mixer* mixer);
  void close();
  int sampleRate() const { return m_rate; }

 private:
  static void callback(void* user, std::uint8_t* stream, int len);
  bool openDriver(const char* driver);

  std::uint32_t m_device = 0;
  int m_rate = 44100;
  bool m_sdlUp = false;
  Mixer* m_mixer = nullptr;
};

}  // namespace sound
