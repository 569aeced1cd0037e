#include "AudioOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "DriftFollower.h"
#include "Mixer.h"
#include "Sdl.h"
#include "SoundTypes.h"

namespace sound {

namespace {
// Sound back ends print pages of probing errors when no server or card is there;
// the player says it in one line of its own instead.
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    m_saved = dup(2);
    const int null = ::open("/dev/null", O_WRONLY);
    if (m_saved >= 0 && null >= 0) dup2(null, 2);
    if (null >= 0) ::close(null);
  }
  ~QuietStderr() {
    std::fflush(stderr);
    if (m_saved >= 0) {
      dup2(m_saved, 2);
      ::close(m_saved);
    }
  }

 private:
  int m_saved = -1;
};
}  // namespace

AudioOutput::~AudioOutput() {
  close();
}

bool AudioOutput::openDriver(const char* driver, const std::string& name) {
  if (!sdlCalls()) return false;
  if (m_sdlUp) {
    sdlCalls()->SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_sdlUp = false;
  }
  // A named driver overrides whatever the environment asks for, for this start only.
  if (driver) sdlCalls()->SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
  const bool up = sdlCalls()->SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (driver) sdlCalls()->SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  if (!up) return false;
  m_sdlUp = true;
  return openDevice(name);
}

bool AudioOutput::openDevice(const std::string& name) {
  SDL_AudioSpec want{}, have{};
  want.freq = m_rate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = &AudioOutput::callback;
  want.userdata = this;
  m_fellBack = false;
  if (!name.empty()) {
    m_device = sdlCalls()->SDL_OpenAudioDevice(name.c_str(), 0, &want, &have, 0);
    if (m_device) return true;
    m_fellBack = true;
  }
  m_device = sdlCalls()->SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  return m_device != 0;
}

bool AudioOutput::reopen(const std::string& name) {
  if (!m_sdlUp) return false;
  if (m_device) sdlCalls()->SDL_CloseAudioDevice(m_device);  // waits for a running callback to end
  m_device = 0;
  if (!openDevice(name)) return false;
  if (m_mixer) sdlCalls()->SDL_PauseAudioDevice(m_device, 0);
  return true;
}

bool AudioOutput::lost() const {
  return m_device && sdlCalls()->SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED;
}

bool AudioOutput::open(Output requested, Output& opened, int sampleRate, const std::string& name) {
  m_rate = sampleRate;
  if (requested == Output::Device) {
    bool ok;
    {
      QuietStderr quiet;
      ok = openDriver(nullptr, name);
    }
    if (ok) {
      opened = Output::Device;
      return true;
    }
    std::fprintf(stderr, "tornavel: no sound device could be opened (%s); playing silently\n",
                 sdlCalls() ? sdlCalls()->SDL_GetError() : "the SDL 2 library is missing");
  }
  bool ok;
  {
    QuietStderr quiet;
    ok = openDriver("dummy", {});
  }
  if (!ok) {
    close();
    return false;
  }
  opened = Output::Silent;
  return true;
}

void AudioOutput::start(Mixer* mixer, DriftFollower* cue) {
  m_mixer = mixer;
  m_cue = cue;
  if (m_device) sdlCalls()->SDL_PauseAudioDevice(m_device, 0);
}

void AudioOutput::close() {
  if (m_device) {
    sdlCalls()->SDL_CloseAudioDevice(m_device);  // waits for a running callback to end
    m_device = 0;
  }
  if (m_sdlUp) {
    sdlCalls()->SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_sdlUp = false;
  }
  m_mixer = nullptr;
  m_cue = nullptr;
  m_fellBack = false;
}

void AudioOutput::callback(void* user, std::uint8_t* stream, int len) {
  auto* self = static_cast<AudioOutput*>(user);
  const int frames = len / int(2 * sizeof(float));
  if (self->m_cue && self->m_mixer && self->m_mixer->cueDevice.load(std::memory_order_relaxed))
    self->m_cue->markTime(DriftFollower::clockSeconds());
  if (self->m_mixer)
    self->m_mixer->mix(reinterpret_cast<float*>(stream), frames);
  else
    std::memset(stream, 0, std::size_t(len));
}

}  // namespace sound
