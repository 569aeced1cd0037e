#include "AudioEngine.h"

namespace audio {

void AudioEngine::create(sound::Output output) {
  MasterLevel = 1.0f;
  // A sound system that does not start leaves every call on it a no-op: the player runs on,
  // silent. (A missing device is no failure: it plays on without one.)
  if (System.init(kChannels, output) != sound::Result::Ok) return;
  // A unit that cannot be made is left out of the chain: its handle stays none.
  for (int i = 0; i < 16; ++i)
    if (System.createDsp(sound::DspType::ParametricEq, EqUnits[std::size_t(i)]) !=
        sound::Result::Ok)
      EqUnits[std::size_t(i)] = 0;
  if (System.createDsp(sound::DspType::Chorus, ChorusUnit) != sound::Result::Ok) ChorusUnit = 0;
}

void AudioEngine::close() {
  if (System.initialized()) System.close();
}

}  // namespace audio
