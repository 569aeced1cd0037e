#pragma once

#include <cstdint>
#include <string>

namespace sound {

enum class Output;
class DriftFollower;
class Mixer;

// The SDL audio device that pulls blocks from the mixer on SDL's own thread.
class AudioOutput {
 public:
  ~AudioOutput();
  // Opens the named playback device (empty: the default; a name that is not there: the
  // default, and fellBack() says so), or SDL's real-time paced silent driver when asked for
  // Silent or when no device opens. Returns what it opened; false when neither works.
  bool open(Output requested, Output& opened, int sampleRate, const std::string& name = {});
  // The callback pulls the mix from `mixer`, and stamps the time of each call on `cue`.
  void start(Mixer* mixer, DriftFollower* cue = nullptr);
  // Moves a playing device to the named one (empty: the default), falling back to the
  // default; false when no device opens at all (the mix then waits for the next try).
  bool reopen(const std::string& name);
  // The device in use went away (unplugged, or its server stopped).
  bool lost() const;
  bool fellBack() const { return m_fellBack; }
  bool playing() const { return m_device != 0; }
  void close();
  int sampleRate() const { return m_rate; }

 private:
  static void callback(void* user, std::uint8_t* stream, int len);
  bool openDriver(const char* driver, const std::string& name);
  bool openDevice(const std::string& name);

  std::uint32_t m_device = 0;
  int m_rate = 44100;
  bool m_sdlUp = false;
  bool m_fellBack = false;
  Mixer* m_mixer = nullptr;
  DriftFollower* m_cue = nullptr;
};

}  // namespace sound
