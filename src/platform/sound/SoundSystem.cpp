// The sound system's calls, and how its three threads share the work.
//
// THREADS
//
//  UI thread       Every SoundSystem call. Owns the handle tables and their records
//                  (SoundRec, ChannelRec, DspRec), voiceOwner, the graveyard, and the
//                  lifetime of every Stream, Voice and DspUnit. It sets a voice up and
//                  publishes it; after that it only writes the voice's atomics.
//  Decoder thread  DecodeWorker, one for all streams. Owns each Stream's FileDecoder and the
//                  producing end of its BlockRing. The UI thread adds and removes streams
//                  under the worker's mutex; once remove() returns, the worker never touches
//                  that stream again. (The mutex is never seen by the output callback.)
//                  Under key lock it also writes the shifted copy of blocks already in a
//                  ring (KeyShift); each block's `take` settles once, by compare-exchange,
//                  which of its two copies the output side plays (see AudioBlock).
//  Output thread   SDL's callback, calling Mixer::mix. Owns each voice's private state
//                  (resampler, current epoch, lent ring block, position), the consuming end
//                  of every ring, the effect chain's slots, the units' filter state and the
//                  limiter. It never locks, allocates, logs or touches a file.
//
//  Cue thread      With the headphones on a device of their own (CueMode::Device), that
//                  device's SDL callback, calling DriftFollower::read: it owns the reading
//                  end of the follower's ring and its converter; the output thread writes
//                  the headphones' mix at the other end. The UI thread restarts the follower
//                  only while that device is closed. Same rules as the output thread.
//
//  In Output::Manual there is no decoder or output thread: render() decodes inline and
//  then mixes on the caller's thread, so the UI thread plays all three parts in turn and
//  every result depends on the calls alone.
//
// A VOICE'S LIFE (Voice::state: Free -> Playing -> Stopping -> Free, or Playing -> Ended)
//
//  start   The UI thread writes the voice's stream pointer and parameters while the voice is
//          Free or Ended (the output side does not read it then), bumps its start serial and
//          stores Playing with release. The output side loads state with acquire, so it sees
//          everything written before; the new serial tells it to drop its private state.
//  stop    The UI thread moves Playing -> Stopping (compare-exchange). From then the voice
//          adds nothing to the mix, so stop is silent from the next block on. The output
//          side acknowledges by storing Free with release, after its last touch of the
//          stream (the block it had lent to the resampler stays in the ring; the next
//          reader drops it by its epoch). Until then the voice is busy(): it is not handed
//          out again, and a released stream it still reads waits in the graveyard.
//          collectGraveyard() loads every state with acquire, so the callback's reads of a
//          stream happen before the UI thread frees it. In Manual the UI thread answers
//          its own stop at once.
//  end     The output side moves Playing -> Ended when the stream runs dry; the channel
//          handle stays valid (position, is-playing) until its voice is reused.
//
// SEEK EPOCHS
//
//  Stream::m_request packs (epoch, target frame) into one 64-bit atomic, so the decoder
//  thread never sees one half of a request. A seek stores the next epoch with release and
//  puts it in the voice's wantEpoch with release. The decoder loads the request with
//  acquire, seeks, and tags every block it writes with the epoch. The output side, seeing
//  wantEpoch differ from its own, resets its resampler and discards blocks of older epochs
//  at the ring head until one of the wanted epoch arrives; from its start frame it
//  publishes positionFrames and then seenEpoch = wantEpoch (release). channelPositionMs()
//  reports the seek target (pendingMs) until it loads that seenEpoch (acquire), so a
//  position read just after a seek answers the target, never a frame of the old place.
//  Starting a stream again is a seek to 0 under a new epoch.
//
// WHY THE RELAXED ACCESSES ARE SAFE
//
//  - Voice volume, frequency, pan and paused: each is a value on its own that the output
//    side reads once a block; any value written is a valid one, and nothing else is
//    inferred from it. A change is heard one block later at worst.
//  - The start serial and the parameters stored by Voice::start: written before the
//    release store of Playing, read after its acquire load.
//  - positionFrames: a number for display; it is read after seenEpoch (acquire), which the
//    output side stores after it, so a read after a seek sees the new place.
//  - The spectrum history samples: the write index is stored with release after a block's
//    samples and loaded with acquire before reading; a copy made while the output side
//    writes may hold a few samples of the next block, which a display cannot tell.
//  - DspUnit parameters and the bypass switch: a parameter is stored before its unit's
//    version counter is bumped with release; the callback loads the version with acquire
//    before it reads the parameters. The bypass switch is one flag, read once a block.
//  - Ring and queue indices: each end loads its own index relaxed (only it writes it) and
//    the other end's with acquire; each end stores its own with release after the slot's
//    contents. That is the whole single-producer/single-consumer contract.
//  Every atomic the callback touches is static_assert'ed to be lock-free where it is
//  declared.
//
// EFFECT CHAIN
//
//  Joining and leaving are messages on the mixer's queue; the mixer fades a unit in or out
//  over a few milliseconds (see Mixer). dspActive() answers the chain membership the caller
//  asked for at once; a unit that left may still be heard for that fade. Units live until
//  close(), so the mixer's pointer to a fading unit is never left dangling.
#include "SoundSystem.h"

#include <algorithm>
#include <cmath>

#include "Chorus.h"
#include "FrameMath.h"
#include "ParametricEq.h"
#include "SoundSystemImpl.h"

namespace sound {

using Impl = SoundSystemImpl;

SoundSystem::SoundSystem() : m_impl(std::make_unique<SoundSystemImpl>()) {}
SoundSystem::~SoundSystem() {
  close();
}

bool SoundSystem::initialized() const {
  return m_impl->ready;
}
Output SoundSystem::output() const {
  return m_impl->output;
}

Result SoundSystem::init(int maxChannels, Output output, const std::string& masterDevice) {
  if (m_impl->ready) return Result::InvalidParam;
  if (maxChannels < 1 || maxChannels > Impl::kMaxChannels) return Result::InvalidParam;
  auto& d = *m_impl;
  Output opened = Output::Manual;
  if (output != Output::Manual && !d.device.open(output, opened, Impl::kSampleRate, masterDevice))
    return Result::DeviceError;
  d.output = opened;
  d.masterName = masterDevice;
  d.masterState = opened != Output::Device ? DeviceState::Closed
                  : d.device.fellBack()    ? DeviceState::Fallback
                                           : DeviceState::Playing;
  d.maxChannels = maxChannels;
  d.mixer = std::make_unique<Mixer>(maxChannels + Impl::kSpareVoices, Impl::kSampleRate);
  d.voiceOwner.assign(std::size_t(d.mixer->voiceCount()), 0);
  d.follower = std::make_unique<DriftFollower>(Impl::kSampleRate);
  d.mixer->setCueSink(d.follower.get());
  if (opened != Output::Manual) {
    d.worker.start();
    d.device.start(d.mixer.get(), d.follower.get());
  }
  d.ready = true;
  return Result::Ok;
}

Result SoundSystem::close() {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  if (d.recorder) d.recorder->stop();
  d.closeCue();
  d.device.close();  // no callback runs after this
  d.worker.stop();
  d.channels.clear();
  d.sounds.clear();
  d.dsps.clear();
  d.graveyard.clear();
  d.recorder.reset();  // it reads the mixer's tap
  d.mixer.reset();
  d.voiceOwner.clear();
  d.follower.reset();
  d.masterState = DeviceState::Closed;
  d.ready = false;
  return Result::Ok;
}

Result SoundSystem::createStream(const std::string& path, Handle& sound) {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  d.collectGraveyard();
  auto decoder = std::make_unique<FileDecoder>();
  if (const Result r = decoder->open(path); r != Result::Ok) return r;
  const int rate = decoder->sampleRate();
  const std::int64_t length = decoder->lengthFrames();
  SoundRec rec;
  rec.stream = std::make_unique<Stream>(std::move(decoder), d.ringBlocks(rate));
  rec.frequency = float(rate);
  rec.lengthMs = framesToMs(length, rate);
  Stream* stream = rec.stream.get();
  const Handle h = d.sounds.add(std::move(rec));
  if (!h) return Result::InvalidParam;
  if (d.output != Output::Manual) d.worker.add(stream);
  sound = h;
  return Result::Ok;
}

Result SoundSystem::releaseSound(Handle sound) {
  auto& d = *m_impl;
  return d.withSound(sound, [&](SoundRec& s) {
    if (s.channel) stopChannel(s.channel);
    d.worker.remove(s.stream.get());
    d.graveyard.push_back(std::move(s.stream));
    d.sounds.remove(sound);
    d.collectGraveyard();
  });
}

Result SoundSystem::soundDefaults(Handle sound, float& frequency, float& volume, float& pan,
                                  int& priority) {
  return m_impl->withSound(sound, [&](const SoundRec& s) {
    frequency = s.frequency;
    volume = s.volume;
    pan = s.pan;
    priority = s.priority;
  });
}

Result SoundSystem::setSoundDefaults(Handle sound, float frequency, float volume, float pan,
                                     int priority) {
  return m_impl->withSound(sound, [&](SoundRec& s) {
    if (!std::isfinite(frequency) || !std::isfinite(volume) || !std::isfinite(pan))
      return Result::InvalidParam;
    s.frequency = std::max(frequency, 0.0f);
    s.volume = std::clamp(volume, 0.0f, 1.0f);
    s.pan = std::clamp(pan, -1.0f, 1.0f);
    s.priority = std::clamp(priority, 0, 256);
    return Result::Ok;
  });
}

Result SoundSystem::soundLengthMs(Handle sound, std::uint32_t& ms) {
  return m_impl->withSound(sound, [&](const SoundRec& s) { ms = s.lengthMs; });
}

Result SoundSystem::playSound(Handle sound, bool paused, Handle& channel) {
  auto& d = *m_impl;
  return d.withSound(sound, [&](SoundRec& s) {
    // A stream plays once at a time: starting it again restarts it on a new channel.
    if (s.channel) stopChannel(s.channel);
    d.collectGraveyard();
    d.makeRoom();
    const int v = d.freeVoice();
    if (v < 0) return Result::DeviceError;
    if (const Handle old = d.voiceOwner[std::size_t(v)]) d.dropChannel(old);
    const std::uint32_t epoch = s.epochUsed ? s.stream->requestSeek(0) : s.stream->requestedEpoch();
    s.epochUsed = true;
    s.stream->setPlaybackFrequency(s.frequency);
    const Handle h = d.channels.add(ChannelRec{v, sound, ++d.startOrder, 0});
    if (!h) return Result::DeviceError;
    d.voiceOwner[std::size_t(v)] = h;
    s.channel = h;
    d.mixer->voice(v).start(s.stream.get(), epoch, s.frequency, s.volume, s.pan, paused, s.toMaster,
                            s.toCue, s.gain);
    channel = h;
    return Result::Ok;
  });
}

Result SoundSystem::stopChannel(Handle channel) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) {
    d.stopVoice(c.voice);
    d.dropChannel(channel);
  });
}

Result SoundSystem::channelPaused(Handle channel, bool& paused) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) { paused = d.voiceOf(c).paused.load(); });
}

Result SoundSystem::setChannelPaused(Handle channel, bool paused) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) { d.voiceOf(c).paused.store(paused); });
}

Result SoundSystem::channelVolume(Handle channel, float& volume) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) { volume = d.voiceOf(c).volume.load(); });
}

Result SoundSystem::setChannelVolume(Handle channel, float volume) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) {
    if (!std::isfinite(volume)) return Result::InvalidParam;
    d.voiceOf(c).volume.store(std::clamp(volume, 0.0f, 1.0f));
    return Result::Ok;
  });
}

Result SoundSystem::channelFrequency(Handle channel, float& hz) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) { hz = d.voiceOf(c).frequency.load(); });
}

Result SoundSystem::setChannelFrequency(Handle channel, float hz) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) {
    if (!std::isfinite(hz)) return Result::InvalidParam;
    Voice& v = d.voiceOf(c);
    v.frequency.store(std::max(hz, 0.0f));
    v.stream()->setPlaybackFrequency(std::max(hz, 0.0f));
    return Result::Ok;
  });
}

Result SoundSystem::setSoundKeyLock(Handle sound, bool on) {
  return m_impl->withSound(sound, [&](SoundRec& s) { s.stream->setKeyLock(on); });
}

Result SoundSystem::soundKeyLock(Handle sound, bool& on) {
  return m_impl->withSound(sound, [&](const SoundRec& s) { on = s.stream->keyLocked(); });
}

Result SoundSystem::channelPositionMs(Handle channel, std::uint32_t& ms) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) {
    Voice& v = d.voiceOf(c);
    if (v.seenEpoch.load(std::memory_order_acquire) != v.wantEpoch.load())
      ms = c.pendingMs;  // the seek is on its way to the output
    else
      ms = framesToMs(v.positionFrames.load(), v.stream()->sampleRate());
  });
}

Result SoundSystem::setChannelPositionMs(Handle channel, std::uint32_t ms) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) {
    Voice& v = d.voiceOf(c);
    SoundRec* s = d.sounds.find(c.sound);
    if (!s || v.state.load() != Voice::Playing) return Result::InvalidHandle;
    if (s->lengthMs > 0 && ms > s->lengthMs) return Result::InvalidParam;
    c.pendingMs = ms;
    const std::int64_t frame = msToFrames(ms, v.stream()->sampleRate());
    v.wantEpoch.store(v.stream()->requestSeek(frame), std::memory_order_release);
    return Result::Ok;
  });
}

Result SoundSystem::channelPlaying(Handle channel, bool& playing) {
  auto& d = *m_impl;
  return d.withChannel(
      channel, [&](ChannelRec& c) { playing = d.voiceOf(c).state.load() == Voice::Playing; });
}

Result SoundSystem::channelSpectrum(Handle channel, float* values, int count, int channelOffset,
                                    Window window) {
  auto& d = *m_impl;
  return d.withChannel(channel, [&](ChannelRec& c) {
    if (!values || count < 16 || count > Voice::kHistoryFrames / 2 || (count & (count - 1)) != 0 ||
        channelOffset < 0 || channelOffset > 1)
      return Result::InvalidParam;
    d.scratch.resize(std::size_t(count) * 2);
    d.voiceOf(c).copyHistory(d.scratch.data(), count * 2, channelOffset);
    d.spectrum.analyze(d.scratch.data(), count, window, values);
    return Result::Ok;
  });
}

Result SoundSystem::createDsp(DspType type, Handle& dsp) {
  if (!m_impl->ready) return Result::NotInitialized;
  DspRec rec;
  if (type == DspType::ParametricEq)
    rec.unit = std::make_unique<ParametricEq>();
  else
    rec.unit = std::make_unique<Chorus>();
  const Handle h = m_impl->dsps.add(std::move(rec));
  if (!h) return Result::InvalidParam;
  dsp = h;
  return Result::Ok;
}

Result SoundSystem::addDsp(Handle dsp) {
  auto& d = *m_impl;
  return d.withDsp(dsp, [&](DspRec& r) {
    if (r.active) return Result::Ok;
    if (!d.mixer->postAdd(r.unit.get())) return Result::DeviceError;
    r.active = true;
    return Result::Ok;
  });
}

Result SoundSystem::removeDsp(Handle dsp) {
  auto& d = *m_impl;
  return d.withDsp(dsp, [&](DspRec& r) {
    if (!r.active) return Result::Ok;
    if (!d.mixer->postRemove(r.unit.get())) return Result::DeviceError;
    r.active = false;
    return Result::Ok;
  });
}

Result SoundSystem::dspActive(Handle dsp, bool& active) {
  return m_impl->withDsp(dsp, [&](const DspRec& r) { active = r.active; });
}

Result SoundSystem::setDspBypass(Handle dsp, bool bypass) {
  return m_impl->withDsp(dsp, [&](DspRec& r) { r.unit->setBypass(bypass); });
}

Result SoundSystem::dspBypass(Handle dsp, bool& bypass) {
  return m_impl->withDsp(dsp, [&](const DspRec& r) { bypass = r.unit->bypassed(); });
}

Result SoundSystem::setDspParameter(Handle dsp, int index, float value) {
  return m_impl->withDsp(dsp, [&](DspRec& r) {
    return r.unit->setParameter(index, value) ? Result::Ok : Result::InvalidParam;
  });
}

Result SoundSystem::dspParameter(Handle dsp, int index, float& value) {
  return m_impl->withDsp(dsp, [&](const DspRec& r) {
    return r.unit->parameter(index, value) ? Result::Ok : Result::InvalidParam;
  });
}

Result SoundSystem::setStreamBufferSizeMs(std::uint32_t ms) {
  if (!m_impl->ready) return Result::NotInitialized;
  if (ms == 0) return Result::InvalidParam;
  m_impl->bufferMs = std::min<std::uint32_t>(ms, 60000);
  return Result::Ok;
}

Result SoundSystem::softwareFormat(int& sampleRate, int& outputChannels) {
  if (!m_impl->ready) return Result::NotInitialized;
  sampleRate = m_impl->mixer->sampleRate();
  outputChannels = 2;
  return Result::Ok;
}

std::size_t SoundSystem::render(float* interleaved, std::size_t frames, float* cue) {
  auto& d = *m_impl;
  if (!d.ready || d.output != Output::Manual || !interleaved) return 0;
  for (std::size_t done = 0; done < frames;) {
    const int n = int(std::min<std::size_t>(frames - done, Voice::kMaxFrames));
    // Decode inline so every block is complete: the result depends on nothing but the calls.
    d.fillInline();
    d.mixer->dropStaleBlocks();
    d.fillInline();
    d.mixer->mix(interleaved + done * 2, n, cue ? cue + done * 2 : nullptr);
    done += std::size_t(n);
  }
  return frames;
}

}  // namespace sound
