#include "AudioEngine.h"

namespace audio {

void AudioEngine::create(sound::Output output) {
  System.init(kChannels, output);
  for (int i = 0; i < 16; ++i)
    System.createDsp(sound::DspType::ParametricEq, EqUnits[std::size_t(i)]);
  System.createDsp(sound::DspType::Chorus, ChorusUnit);
  MasterLevel = 1.0f;
}

void AudioEngine::close() {
  if (System.initialized()) System.close();
}

}  // namespace audio
