#include "SoundSystem.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "AudioOutput.h"
#include "Chorus.h"
#include "DecodeWorker.h"
#include "HandleTable.h"
#include "Mixer.h"
#include "ParametricEq.h"
#include "SpectrumAnalyzer.h"

extern "C" {
#include <libavutil/log.h>
}

namespace sound {

const char* resultText(Result r) {
  switch (r) {
    case Result::Ok:
      return "ok";
    case Result::InvalidHandle:
      return "invalid handle";
    case Result::FileNotFound:
      return "file not found";
    case Result::FormatError:
      return "unsupported or damaged audio file";
    case Result::DeviceError:
      return "sound output failed";
    case Result::InvalidParam:
      return "invalid parameter";
    case Result::NotInitialized:
      return "sound system not initialised";
  }
  return "?";
}

namespace {
constexpr int kSampleRate = 44100;
constexpr int kMaxChannels = 64;
// Voices beyond the channel count cover stopped voices whose stop the output side has not
// answered yet.
constexpr int kSpareVoices = 8;

struct SoundRec {
  std::unique_ptr<Stream> stream;
  float frequency = 0, volume = 1, pan = 0;
  int priority = 128;
  std::uint32_t lengthMs = 0;
  Handle channel = 0;
  bool epochUsed = false;  // a voice has read the current epoch, so a new start must seek
};
struct ChannelRec {
  int voice = -1;
  Handle sound = 0;
  std::uint64_t order = 0;
  std::uint32_t pendingMs = 0;  // the last seek target, until the output side reaches it
};
struct DspRec {
  std::unique_ptr<DspUnit> unit;
  bool active = false;
};
}  // namespace

class SoundSystemImpl {
 public:
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

  ChannelRec* channel(Handle h) {
    ChannelRec* c = channels.find(h);
    if (!c || voiceOwner[std::size_t(c->voice)] != h) return nullptr;
    return c;
  }
  Voice& voiceOf(const ChannelRec& c) { return mixer->voice(c.voice); }

  void stopVoice(int v) {
    Voice& voice = mixer->voice(v);
    // With no output thread the caller is the output side, so it answers at once.
    if (voice.stop() && output == Output::Manual) voice.acknowledgeStop();
  }

  void dropChannel(Handle h) {
    ChannelRec* c = channels.find(h);
    if (!c) return;
    if (SoundRec* s = sounds.find(c->sound); s && s->channel == h) s->channel = 0;
    if (voiceOwner[std::size_t(c->voice)] == h) voiceOwner[std::size_t(c->voice)] = 0;
    channels.remove(h);
  }

  void collectGraveyard() {
    std::erase_if(graveyard, [&](const std::unique_ptr<Stream>& s) {
      for (int v = 0; v < mixer->voiceCount(); ++v)
        if (mixer->voice(v).busy() && mixer->voice(v).stream() == s.get()) return false;
      return true;
    });
  }

  int freeVoice() {
    for (int attempt = 0; attempt < 200; ++attempt) {
      for (int v = 0; v < mixer->voiceCount(); ++v)
        if (!mixer->voice(v).busy()) return v;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return -1;
  }

  // Keeps at most maxChannels playing: the longest-playing channel gives way.
  void makeRoom() {
    int playing = 0;
    Handle oldest = 0;
    std::uint64_t oldestOrder = ~std::uint64_t(0);
    for (int v = 0; v < mixer->voiceCount(); ++v) {
      const Handle h = voiceOwner[std::size_t(v)];
      if (!h || mixer->voice(v).state.load() != Voice::Playing) continue;
      ++playing;
      if (ChannelRec* c = channels.find(h); c && c->order < oldestOrder) {
        oldestOrder = c->order;
        oldest = h;
      }
    }
    if (playing >= maxChannels && oldest) {
      stopVoice(channels.find(oldest)->voice);
      dropChannel(oldest);
    }
  }

  void fillInline() {
    bool worked = true;
    while (worked) {
      worked = false;
      sounds.forEach([&](SoundRec& s) { worked |= s.stream->produce(); });
    }
  }
};

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

Result SoundSystem::init(int maxChannels, Output output) {
  if (m_impl->ready) return Result::InvalidParam;
  if (maxChannels < 1 || maxChannels > kMaxChannels) return Result::InvalidParam;
  av_log_set_level(AV_LOG_QUIET);  // damaged files are reported by result codes, not logs
  auto& d = *m_impl;
  Output opened = Output::Manual;
  if (output != Output::Manual && !d.device.open(output, opened, kSampleRate))
    return Result::DeviceError;
  d.output = opened;
  d.maxChannels = maxChannels;
  d.mixer = std::make_unique<Mixer>(maxChannels + kSpareVoices, kSampleRate);
  d.voiceOwner.assign(std::size_t(d.mixer->voiceCount()), 0);
  if (opened != Output::Manual) {
    d.worker.start();
    d.device.start(d.mixer.get());
  }
  d.ready = true;
  return Result::Ok;
}

Result SoundSystem::close() {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  d.device.close();  // no callback runs after this
  d.worker.stop();
  d.channels.clear();
  d.sounds.clear();
  d.dsps.clear();
  d.graveyard.clear();
  d.mixer.reset();
  d.voiceOwner.clear();
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
  const std::size_t blocks =
      std::size_t(std::uint64_t(d.bufferMs) * std::uint64_t(rate) / 1000 / AudioBlock::kFrames) + 2;
  SoundRec rec;
  rec.stream = std::make_unique<Stream>(std::move(decoder), std::max<std::size_t>(blocks, 16));
  rec.frequency = float(rate);
  rec.lengthMs = std::uint32_t(std::min<std::int64_t>(length * 1000 / rate, 0xFFFFFFFFll));
  Stream* stream = rec.stream.get();
  const Handle h = d.sounds.add(std::move(rec));
  if (!h) return Result::InvalidParam;
  if (d.output != Output::Manual) d.worker.add(stream);
  sound = h;
  return Result::Ok;
}

Result SoundSystem::releaseSound(Handle sound) {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  SoundRec* s = d.sounds.find(sound);
  if (!s) return Result::InvalidHandle;
  if (s->channel) stopChannel(s->channel);
  d.worker.remove(s->stream.get());
  d.graveyard.push_back(std::move(s->stream));
  d.sounds.remove(sound);
  d.collectGraveyard();
  return Result::Ok;
}

Result SoundSystem::soundDefaults(Handle sound, float& frequency, float& volume, float& pan,
                                  int& priority) {
  if (!m_impl->ready) return Result::NotInitialized;
  const SoundRec* s = m_impl->sounds.find(sound);
  if (!s) return Result::InvalidHandle;
  frequency = s->frequency;
  volume = s->volume;
  pan = s->pan;
  priority = s->priority;
  return Result::Ok;
}

Result SoundSystem::setSoundDefaults(Handle sound, float frequency, float volume, float pan,
                                     int priority) {
  if (!m_impl->ready) return Result::NotInitialized;
  SoundRec* s = m_impl->sounds.find(sound);
  if (!s) return Result::InvalidHandle;
  if (!std::isfinite(frequency) || !std::isfinite(volume) || !std::isfinite(pan))
    return Result::InvalidParam;
  s->frequency = std::max(frequency, 0.0f);
  s->volume = std::clamp(volume, 0.0f, 1.0f);
  s->pan = std::clamp(pan, -1.0f, 1.0f);
  s->priority = std::clamp(priority, 0, 256);
  return Result::Ok;
}

Result SoundSystem::soundLengthMs(Handle sound, std::uint32_t& ms) {
  if (!m_impl->ready) return Result::NotInitialized;
  const SoundRec* s = m_impl->sounds.find(sound);
  if (!s) return Result::InvalidHandle;
  ms = s->lengthMs;
  return Result::Ok;
}

Result SoundSystem::playSound(Handle sound, bool paused, Handle& channel) {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  SoundRec* s = d.sounds.find(sound);
  if (!s) return Result::InvalidHandle;
  // A stream plays once at a time: starting it again restarts it on a new channel.
  if (s->channel) stopChannel(s->channel);
  d.collectGraveyard();
  d.makeRoom();
  const int v = d.freeVoice();
  if (v < 0) return Result::DeviceError;
  if (const Handle old = d.voiceOwner[std::size_t(v)]) d.dropChannel(old);
  const std::uint32_t epoch =
      s->epochUsed ? s->stream->requestSeek(0) : s->stream->requestedEpoch();
  s->epochUsed = true;
  const Handle h = d.channels.add(ChannelRec{v, sound, ++d.startOrder, 0});
  if (!h) return Result::DeviceError;
  d.voiceOwner[std::size_t(v)] = h;
  s->channel = h;
  d.mixer->voice(v).start(s->stream.get(), epoch, s->frequency, s->volume, s->pan, paused);
  channel = h;
  return Result::Ok;
}

Result SoundSystem::stopChannel(Handle channel) {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  ChannelRec* c = d.channel(channel);
  if (!c) return Result::InvalidHandle;
  d.stopVoice(c->voice);
  d.dropChannel(channel);
  return Result::Ok;
}

Result SoundSystem::channelPaused(Handle channel, bool& paused) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  paused = m_impl->voiceOf(*c).paused.load();
  return Result::Ok;
}

Result SoundSystem::setChannelPaused(Handle channel, bool paused) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  m_impl->voiceOf(*c).paused.store(paused);
  return Result::Ok;
}

Result SoundSystem::channelVolume(Handle channel, float& volume) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  volume = m_impl->voiceOf(*c).volume.load();
  return Result::Ok;
}

Result SoundSystem::setChannelVolume(Handle channel, float volume) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  if (!std::isfinite(volume)) return Result::InvalidParam;
  m_impl->voiceOf(*c).volume.store(std::clamp(volume, 0.0f, 1.0f));
  return Result::Ok;
}

Result SoundSystem::channelFrequency(Handle channel, float& hz) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  hz = m_impl->voiceOf(*c).frequency.load();
  return Result::Ok;
}

Result SoundSystem::setChannelFrequency(Handle channel, float hz) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  if (!std::isfinite(hz)) return Result::InvalidParam;
  m_impl->voiceOf(*c).frequency.store(std::max(hz, 0.0f));
  return Result::Ok;
}

Result SoundSystem::channelPositionMs(Handle channel, std::uint32_t& ms) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  Voice& v = m_impl->voiceOf(*c);
  if (v.seenEpoch.load(std::memory_order_acquire) != v.wantEpoch.load()) {
    ms = c->pendingMs;  // the seek is on its way to the output
    return Result::Ok;
  }
  const double rate = v.stream()->sampleRate();
  ms = std::uint32_t(std::min(v.positionFrames.load() * 1000.0 / rate, 4294967295.0));
  return Result::Ok;
}

Result SoundSystem::setChannelPositionMs(Handle channel, std::uint32_t ms) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  Voice& v = m_impl->voiceOf(*c);
  SoundRec* s = m_impl->sounds.find(c->sound);
  if (!s || v.state.load() != Voice::Playing) return Result::InvalidHandle;
  if (s->lengthMs > 0 && ms > s->lengthMs) return Result::InvalidParam;
  const std::int64_t frame = std::int64_t(ms) * v.stream()->sampleRate() / 1000;
  c->pendingMs = ms;
  v.wantEpoch.store(v.stream()->requestSeek(frame), std::memory_order_release);
  return Result::Ok;
}

Result SoundSystem::channelPlaying(Handle channel, bool& playing) {
  if (!m_impl->ready) return Result::NotInitialized;
  ChannelRec* c = m_impl->channel(channel);
  if (!c) return Result::InvalidHandle;
  playing = m_impl->voiceOf(*c).state.load() == Voice::Playing;
  return Result::Ok;
}

Result SoundSystem::channelSpectrum(Handle channel, float* values, int count, int channelOffset,
                                    Window window) {
  auto& d = *m_impl;
  if (!d.ready) return Result::NotInitialized;
  ChannelRec* c = d.channel(channel);
  if (!c) return Result::InvalidHandle;
  if (!values || count < 16 || count > Voice::kHistoryFrames / 2 || (count & (count - 1)) != 0 ||
      channelOffset < 0 || channelOffset > 1)
    return Result::InvalidParam;
  d.scratch.resize(std::size_t(count) * 2);
  d.voiceOf(*c).copyHistory(d.scratch.data(), count * 2, channelOffset);
  d.spectrum.analyze(d.scratch.data(), count, window, values);
  return Result::Ok;
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
  if (!m_impl->ready) return Result::NotInitialized;
  DspRec* r = m_impl->dsps.find(dsp);
  if (!r) return Result::InvalidHandle;
  if (r->active) return Result::Ok;
  if (!m_impl->mixer->postAdd(r->unit.get())) return Result::DeviceError;
  r->active = true;
  return Result::Ok;
}

Result SoundSystem::removeDsp(Handle dsp) {
  if (!m_impl->ready) return Result::NotInitialized;
  DspRec* r = m_impl->dsps.find(dsp);
  if (!r) return Result::InvalidHandle;
  if (!r->active) return Result::Ok;
  if (!m_impl->mixer->postRemove(r->unit.get())) return Result::DeviceError;
  r->active = false;
  return Result::Ok;
}

Result SoundSystem::dspActive(Handle dsp, bool& active) {
  if (!m_impl->ready) return Result::NotInitialized;
  const DspRec* r = m_impl->dsps.find(dsp);
  if (!r) return Result::InvalidHandle;
  active = r->active;
  return Result::Ok;
}

Result SoundSystem::setDspParameter(Handle dsp, int index, float value) {
  if (!m_impl->ready) return Result::NotInitialized;
  DspRec* r = m_impl->dsps.find(dsp);
  if (!r) return Result::InvalidHandle;
  return r->unit->setParameter(index, value) ? Result::Ok : Result::InvalidParam;
}

Result SoundSystem::dspParameter(Handle dsp, int index, float& value) {
  if (!m_impl->ready) return Result::NotInitialized;
  const DspRec* r = m_impl->dsps.find(dsp);
  if (!r) return Result::InvalidHandle;
  return r->unit->parameter(index, value) ? Result::Ok : Result::InvalidParam;
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

std::size_t SoundSystem::render(float* interleaved, std::size_t frames) {
  auto& d = *m_impl;
  if (!d.ready || d.output != Output::Manual || !interleaved) return 0;
  for (std::size_t done = 0; done < frames;) {
    const int n = int(std::min<std::size_t>(frames - done, Voice::kMaxFrames));
    // Decode inline so every block is complete: the result depends on nothing but the calls.
    d.fillInline();
    d.mixer->dropStaleBlocks();
    d.fillInline();
    d.mixer->mix(interleaved + done * 2, n);
    done += std::size_t(n);
  }
  return frames;
}

}  // namespace sound
