// The cue bus's calls. Routes and the headphones' settings cross to the output side as
// atomics on the voice and the mixer; nothing here waits for the callback.
#include <algorithm>
#include <cmath>

#include "SoundSystem.h"
#include "SoundSystemImpl.h"

namespace sound {

Result SoundSystem::setSoundRoute(Handle sound, bool master, bool cue) {
  return m_impl->withSound(sound, [&](SoundRec& s) {
    s.toMaster = master;
    s.toCue = cue;
  });
}

Result SoundSystem::setChannelRoute(Handle channel, bool master, bool cue) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) {
    Voice& v = d.voiceOf(c);
    v.toMaster.store(master, std::memory_order_relaxed);
    v.toCue.store(cue, std::memory_order_relaxed);
  });
}

Result SoundSystem::setSoundGain(Handle sound, float gain) {
  if (!std::isfinite(gain)) return Result::InvalidParam;
  return m_impl->withSound(sound, [&](SoundRec& s) { s.gain = std::clamp(gain, 0.0f, 4.0f); });
}

Result SoundSystem::setChannelGain(Handle channel, float gain) {
  if (!std::isfinite(gain)) return Result::InvalidParam;
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) {
    d.voiceOf(c).streamGain.store(std::clamp(gain, 0.0f, 4.0f), std::memory_order_relaxed);
  });
}

Result SoundSystem::setHeadphones(CueMode mode, bool swap, float mix, float level) {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  if (!std::isfinite(mix) || !std::isfinite(level)) return Result::InvalidParam;
  d.mixer->headMix.store(std::clamp(mix, 0.0f, 1.0f), std::memory_order_relaxed);
  d.mixer->headLevel.store(std::clamp(level, 0.0f, 1.0f), std::memory_order_relaxed);
  d.mixer->swapSides.store(swap, std::memory_order_relaxed);
  d.mixer->split.store(mode == CueMode::Split, std::memory_order_relaxed);
  return Result::Ok;
}

}  // namespace sound
