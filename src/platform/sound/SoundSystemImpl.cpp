#include "SoundSystemImpl.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace sound {

ChannelRec* SoundSystemImpl::channel(Handle h) {
  ChannelRec* c = channels.find(h);
  if (!c || voiceOwner[std::size_t(c->voice)] != h) return nullptr;
  return c;
}

void SoundSystemImpl::stopVoice(int v) {
  Voice& voice = mixer->voice(v);
  // With no output thread the caller is the output side, so it answers at once.
  if (voice.stop() && output == Output::Manual) voice.acknowledgeStop();
}

void SoundSystemImpl::dropChannel(Handle h) {
  ChannelRec* c = channels.find(h);
  if (!c) return;
  if (SoundRec* s = sounds.find(c->sound); s && s->channel == h) s->channel = 0;
  if (voiceOwner[std::size_t(c->voice)] == h) voiceOwner[std::size_t(c->voice)] = 0;
  channels.remove(h);
}

void SoundSystemImpl::collectGraveyard() {
  std::erase_if(graveyard, [&](const std::unique_ptr<Stream>& s) {
    for (int v = 0; v < mixer->voiceCount(); ++v)
      if (mixer->voice(v).busy() && mixer->voice(v).stream() == s.get()) return false;
    return true;
  });
}

int SoundSystemImpl::freeVoice() {
  for (int attempt = 0; attempt < 200; ++attempt) {
    for (int v = 0; v < mixer->voiceCount(); ++v)
      if (!mixer->voice(v).busy()) return v;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return -1;
}

// Keeps at most maxChannels playing: the longest-playing channel gives way.
void SoundSystemImpl::makeRoom() {
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

void SoundSystemImpl::fillInline() {
  bool worked = true;
  while (worked) {
    worked = false;
    sounds.forEach([&](SoundRec& s) { worked |= s.stream->produce(); });
  }
}

// Blocks for bufferMs of audio at the stream's rate, within [kMinRingBlocks, kMaxRingBytes].
// The decoder refuses rates above FileDecoder::kMaxSampleRate, and the clamp here holds
// even if that limit moves: a header can never size the ring.
std::size_t SoundSystemImpl::ringBlocks(int sampleRate) const {
  const auto rate = std::uint64_t(std::clamp(sampleRate, 1, FileDecoder::kMaxSampleRate));
  const std::uint64_t frames = std::uint64_t(bufferMs) * rate / 1000;
  const std::size_t wanted = std::size_t(frames / AudioBlock::kFrames) + 2;
  const std::size_t most = kMaxRingBytes / sizeof(AudioBlock);
  return std::clamp(wanted, kMinRingBlocks, most);
}

}  // namespace sound
