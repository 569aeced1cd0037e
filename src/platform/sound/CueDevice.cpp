#include "CueDevice.h"

#include "DriftFollower.h"
#include "Sdl.h"

namespace sound {

namespace {

class SdlCueDevice final : public CueDevice {
 public:
  static constexpr int kFrames = 256;
  ~SdlCueDevice() override { close(); }

  bool open(const std::string& name, int sampleRate, DriftFollower& source) override {
    close();
    // Counted: the master's device keeps SDL's audio up beside this, and the other way round.
    if (!sdlCalls() || sdlCalls()->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    m_sdlUp = true;
    m_source = &source;
    SDL_AudioSpec want{}, have{};
    want.freq = sampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kFrames;
    want.callback = &SdlCueDevice::callback;
    want.userdata = this;
    m_device =
        sdlCalls()->SDL_OpenAudioDevice(name.empty() ? nullptr : name.c_str(), 0, &want, &have, 0);
    if (!m_device) {
      close();
      return false;
    }
    sdlCalls()->SDL_PauseAudioDevice(m_device, 0);
    return true;
  }

  void close() override {
    if (m_device)
      sdlCalls()->SDL_CloseAudioDevice(m_device);  // waits for a running callback to end
    m_device = 0;
    if (m_sdlUp) sdlCalls()->SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_sdlUp = false;
  }

  bool lost() const override {
    return m_device && sdlCalls()->SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED;
  }

 private:
  static void callback(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SdlCueDevice*>(user);
    self->m_source->read(reinterpret_cast<float*>(stream), len / int(2 * sizeof(float)),
                         DriftFollower::clockSeconds());
  }

  SDL_AudioDeviceID m_device = 0;
  bool m_sdlUp = false;
  DriftFollower* m_source = nullptr;
};

}  // namespace

std::unique_ptr<CueDevice> makeSdlCueDevice() {
  return std::make_unique<SdlCueDevice>();
}

std::vector<std::string> playbackDeviceNames() {
  std::vector<std::string> names;
  const SdlCalls* sdl = sdlCalls();
  if (!sdl || !sdl->SDL_WasInit(SDL_INIT_AUDIO)) return names;
  const int count = sdl->SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i)
    if (const char* name = sdl->SDL_GetAudioDeviceName(i, 0)) names.emplace_back(name);
  return names;
}

}  // namespace sound
