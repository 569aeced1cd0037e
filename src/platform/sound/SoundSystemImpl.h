#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "AudioOutput.h"
#include "CueDevice.h"
#include "DecodeWorker.h"
#include "DriftFollower.h"
#include "DspUnit.h"
#include "HandleTable.h"
#include "Mixer.h"
#include "Recorder.h"
#include "SoundTypes.h"
#include "SpectrumAnalyzer.h"
#include "Stream.h"

namespace sound {

// What the UI thread keeps about each handle. All of it is the UI thread's alone; see the
// head comment of SoundSystem.cpp for what the other threads may touch.
struct SoundRec {
  std::unique_ptr<Stream> stream;
  float frequency = 0, volume = 1, pan = 0;
  int priority = 128;
  std::uint32_t lengthMs = 0;
  Handle channel = 0;
  bool epochUsed = false;  // a voice has read the current epoch, so a new start must seek
  bool toMaster = true, toCue = false;  // where its channels are heard
  float gain = 1.0f;                    // its level below the volume (loudness levelling)
};
struct ChannelRec {
  int voice = -1;
  Handle sound = 0;
  std::uint64_t order = 0;
  std::uint32_t pendingMs = 0;  // the last seek target, until the output side reaches it
};
struct DspRec {
  std::unique_ptr<DspUnit> unit;
  bool active = false;  // in the chain as far as the caller is concerned
};

// The state behind SoundSystem, and the bookkeeping its calls share.
class SoundSystemImpl {
 public:
  static constexpr int kSampleRate = 44100;
  static constexpr int kMaxChannels = 64;
  // Voices beyond the channel count cover stopped voices whose stop the output side has not
  // answered yet.
  static constexpr int kSpareVoices = 8;
  // A stream's ring never takes more than this, whatever buffer length and rate it asks for.
  static constexpr std::size_t kMaxRingBytes = std::size_t(32) << 20;
  static constexpr std::size_t kMinRingBlocks = 16;

  bool ready = false;
  Output output = Output::Manual;
  int maxChannels = 0;
  std::uint32_t bufferMs = 1000;
  std::uint64_t startOrder = 0;
  std::unique_ptr<Mixer> mixer;
  AudioOutput device;
  DecodeWorker worker;
  SpectrumAnalyzer spectrum;
  HandleTable<SoundRec> sounds{1};
  HandleTable<ChannelRec> channels{2};
  HandleTable<DspRec> dsps{3};
  std::vector<Handle> voiceOwner;                  // channel handle per voice
  std::vector<std::unique_ptr<Stream>> graveyard;  // released, maybe still read by a voice
  std::vector<float> scratch;
  // The headphones on a device of their own, and the names the devices were asked for by.
  std::unique_ptr<DriftFollower> follower;
  std::unique_ptr<CueDevice> cueDevice;
  std::string masterName, cueName;
  DeviceState masterState = DeviceState::Closed, cueState = DeviceState::Closed;
  std::unique_ptr<Recorder> recorder;  // the latest recording, running or done
  std::string recordError;             // why the latest start failed

  // The one preamble of every call on a handle: the system must be up and the handle must
  // name a live record of its kind; then `f` runs on that record. `f` returns a Result, or
  // nothing for Ok.
  template <typename F>
  Result withSound(Handle h, F&& f) {
    return with([&](Handle x) { return sounds.find(x); }, h, f);
  }
  template <typename F>
  Result withChannel(Handle h, F&& f) {
    return with([&](Handle x) { return channel(x); }, h, f);
  }
  template <typename F>
  Result withDsp(Handle h, F&& f) {
    return with([&](Handle x) { return dsps.find(x); }, h, f);
  }

  ChannelRec* channel(Handle h);
  Voice& voiceOf(const ChannelRec& c) { return mixer->voice(c.voice); }
  void stopVoice(int v);
  void dropChannel(Handle h);
  void collectGraveyard();
  int freeVoice();
  void makeRoom();
  void fillInline();
  std::size_t ringBlocks(int sampleRate) const;
  void openCue();
  void closeCue();

 private:
  template <typename Find, typename F>
  Result with(Find&& find, Handle h, F& f) {
    if (!ready) return Result::NotInitialized;
    auto* rec = find(h);
    if (!rec) return Result::InvalidHandle;
    if constexpr (std::is_void_v<decltype(f(*rec))>) {
      f(*rec);
      return Result::Ok;
    } else {
      return f(*rec);
    }
  }
};

}  // namespace sound
