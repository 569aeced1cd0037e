#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Recorder.h"
#include "SoundTypes.h"

namespace sound {

class CueDevice;
class SoundSystemImpl;

// The player's sound engine: file streams decoded in the background, channels that play
// them with their own volume and varispeed, one global effect chain on the master mix and
// a spectrum per channel. Every call is made from one thread (the UI thread); handles are
// generation-counted, so a call on a stale or unknown handle returns an error and does nothing.
// The master mix ends in a limiter: what reaches the output never exceeds full scale, and
// music that stays below -1 dBFS passes through it unchanged.
class SoundSystem {
 public:
  SoundSystem();
  ~SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  // Device plays on the named playback device (empty: the default; a name that is not
  // there: the default, and masterDeviceState() says Fallback), or falls back to Silent.
  [[nodiscard]] Result init(int maxChannels, Output output = Output::Device,
                            const std::string& masterDevice = {});
  Result close();
  Output output() const;  // what init actually opened
  bool initialized() const;
  [[nodiscard]] Result createStream(const std::string& path, Handle& sound);
  Result releaseSound(Handle sound);
  Result soundDefaults(Handle sound, float& frequency, float& volume, float& pan, int& priority);
  Result setSoundDefaults(Handle sound, float frequency, float volume, float pan, int priority);
  Result soundLengthMs(Handle sound, std::uint32_t& ms);
  [[nodiscard]] Result playSound(Handle sound, bool paused, Handle& channel);  // any free channel
  Result stopChannel(Handle channel);
  Result channelPaused(Handle channel, bool& paused);
  Result setChannelPaused(Handle channel, bool paused);
  Result channelVolume(Handle channel, float& volume);
  Result setChannelVolume(Handle channel, float volume);
  Result channelFrequency(Handle channel, float& hz);
  Result setChannelFrequency(Handle channel, float hz);
  Result channelPositionMs(Handle channel, std::uint32_t& ms);
  Result setChannelPositionMs(Handle channel, std::uint32_t ms);
  Result channelPlaying(Handle channel, bool& playing);
  Result channelSpectrum(Handle channel, float* values, int count, int channelOffset,
                         Window window);
  [[nodiscard]] Result createDsp(DspType type, Handle& dsp);
  // Joining and leaving the global chain fade the unit in or out over a few milliseconds,
  // so neither clicks; dspActive() reports the membership asked for, at once.
  Result addDsp(Handle dsp);  // joins the global chain
  Result removeDsp(Handle dsp);
  Result dspActive(Handle dsp, bool& active);
  // A bypassed unit keeps its place in the chain (and dspActive() stays true) but is faded
  // out over a few milliseconds; from then on its input passes through bit for bit.
  Result setDspBypass(Handle dsp, bool bypass);
  Result dspBypass(Handle dsp, bool& bypass);
  Result setDspParameter(Handle dsp, int index,
                         float value);  // EQ: 0 centre Hz, 1 bandwidth octaves, 2 linear gain
  Result dspParameter(Handle dsp, int index, float& value);
  // The cue bus: a channel is heard on the master mix at its volume, on the cue bus at full
  // level whatever its volume, or on both. A sound's route applies to the channels it starts
  // from then on; a channel's applies at once, gliding over a block.
  Result setSoundRoute(Handle sound, bool master, bool cue);
  Result setChannelRoute(Handle channel, bool master, bool cue);
  // A track's own level below its volume (0..4, 1 as it is), for loudness levelling: the
  // master and the cue hear it, the volume stays what it was. A sound's gain applies to the
  // channels it starts from then on; a channel's at once, gliding over a block.
  Result setSoundGain(Handle sound, float gain);
  Result setChannelGain(Handle channel, float gain);
  // Key lock: a sound's channel changes its tempo with its frequency and keeps its pitch.
  // It applies at once to the channel playing (within about a tenth of a second, faded in
  // or out, never a click) and to the channels the sound starts later. Positions, seeks and
  // lengths stay what they are without it, to the frame.
  Result setSoundKeyLock(Handle sound, bool on);
  Result soundKeyLock(Handle sound, bool& on);
  // Where the headphones are heard: nowhere (the output is the master mix alone), split
  // on the one device (the master in mono on the left, the headphones on the right, or the
  // other way round), or on a playback device of their own (see setDevices; the master's
  // device then plays the master mix alone). The headphones carry the cue bus blended
  // towards the master by `mix` (0 cue only, 1 master only), at `level` (0..1).
  Result setHeadphones(CueMode mode, bool swap, float mix, float level);
  // The playback devices by name, for setDevices(); none without a device output.
  std::vector<std::string> playbackDevices() const;
  // The master's device and the headphones' (CueMode::Device), by name; empty: the default.
  // A device already playing under its name is left alone; any other is (re)opened at once,
  // without a restart. A master device that is not there falls back to the default; a
  // headphones' device that is not there stays silent (never the default, which is likely
  // the room's). The names are kept in the Manual and Silent outputs, and used by none.
  Result setDevices(const std::string& master, const std::string& cue);
  DeviceState masterDeviceState() const;
  DeviceState cueDeviceState() const;
  // For a timer in the application (twice a second will do): a master device that went away
  // is replaced by the default, a headphones' device that went away is closed and reported
  // Lost (setDevices opens it again). True when either state changed.
  bool checkDevices();
  // Plays the headphones through `device` instead of SDL (a stand-in, for tests); before
  // the headphones are put on a device of their own.
  void useCueDevice(std::unique_ptr<CueDevice> device);
  Result setStreamBufferSizeMs(std::uint32_t ms);
  Result softwareFormat(int& sampleRate, int& outputChannels);
  // Output::Manual only: renders what the device would play, and the headphones' mix into
  // `cue` (stereo, before any split) when it is given.
  std::size_t render(float* interleaved, std::size_t frames, float* cue = nullptr);

  // Records the master mix as it leaves the limiter (before any headphones split) into a new
  // file at `path`. FileNotFound when the file cannot be made (recordingState().error says
  // why), InvalidParam while a recording runs. A write error stops the recording on its own
  // and keeps what was written; stopRecording() completes the file. Both are idempotent.
  [[nodiscard]] Result startRecording(const std::string& path,
                                      RecordFormat format = RecordFormat::Flac24);
  Result stopRecording();
  RecordingState recordingState() const;

 private:
  std::unique_ptr<SoundSystemImpl> m_impl;
};

}  // namespace sound
