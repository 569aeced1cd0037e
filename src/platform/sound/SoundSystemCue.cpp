// The cue bus's calls. Routes and the headphones' settings cross to the output side as
// atomics on the voice and the mixer; nothing here waits for the callback, except that
// opening or closing a device waits for that device's own callback to end.
//
// The headphones on a device of their own: the master device's callback mixes the cue bus
// beside the master and writes it into the drift follower's ring; the headphones' device
// reads it there through the follower's resampler, on its own clock. The follower lives
// from init() to close(); the headphones' device is open only in CueMode::Device.
#include <algorithm>
#include <cmath>

#include "CueDevice.h"
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
  const bool device = mode == CueMode::Device;
  if (device && d.cueState == DeviceState::Closed) d.openCue();
  if (!device) d.closeCue();
  d.mixer->cueDevice.store(device, std::memory_order_relaxed);
  return Result::Ok;
}

void SoundSystemImpl::openCue() {
  if (!cueDevice) cueDevice = makeSdlCueDevice();
  cueDevice->close();
  follower->restart();  // no reader runs now
  const bool ok = cueDevice->open(cueName, kSampleRate, *follower);
  cueState = ok ? DeviceState::Playing : DeviceState::Missing;
}

void SoundSystemImpl::closeCue() {
  if (cueDevice) cueDevice->close();
  cueState = DeviceState::Closed;
}

std::vector<std::string> SoundSystem::playbackDevices() const {
  if (!m_impl->ready || m_impl->output != Output::Device) return {};
  return playbackDeviceNames();
}

Result SoundSystem::setDevices(const std::string& master, const std::string& cue) {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  if (d.output == Output::Device &&
      (master != d.masterName || d.masterState != DeviceState::Playing)) {
    const bool ok = d.device.reopen(master);
    d.masterState = !ok                   ? DeviceState::Lost
                    : d.device.fellBack() ? DeviceState::Fallback
                                          : DeviceState::Playing;
  }
  d.masterName = master;
  const bool reopenCue = cue != d.cueName || d.cueState != DeviceState::Playing;
  d.cueName = cue;
  if (d.mixer->cueDevice.load(std::memory_order_relaxed) && reopenCue) d.openCue();
  return Result::Ok;
}

DeviceState SoundSystem::masterDeviceState() const {
  return m_impl->masterState;
}

DeviceState SoundSystem::cueDeviceState() const {
  return m_impl->cueState;
}

bool SoundSystem::checkDevices() {
  auto& d = *m_impl;
  if (!d.ready) return false;
  const DeviceState master = d.masterState, cue = d.cueState;
  if (d.output == Output::Device && (d.masterState == DeviceState::Lost || d.device.lost())) {
    // The default device takes over; the mix goes on where it was.
    d.masterState = d.device.reopen({}) ? DeviceState::Fallback : DeviceState::Lost;
    if (d.masterState == DeviceState::Fallback && d.masterName.empty())
      d.masterState = DeviceState::Playing;
  }
  if (d.cueState == DeviceState::Playing && d.cueDevice->lost()) {
    d.cueDevice->close();
    d.cueState = DeviceState::Lost;
  }
  return master != d.masterState || cue != d.cueState;
}

void SoundSystem::useCueDevice(std::unique_ptr<CueDevice> device) {
  auto& d = *m_impl;
  if (d.cueDevice) d.cueDevice->close();
  d.cueDevice = std::move(device);
  if (d.cueState != DeviceState::Closed) d.openCue();
}

}  // namespace sound
