#include "PreviewPlayer.h"

#include <algorithm>

namespace audio {

PreviewPlayer::PreviewPlayer(AudioEngine& engine, DeckTable& decks, DeckEngine& deckEngine)
    : m_engine(engine), m_slot(decks[PreviewSlot]), m_deckEngine(deckEngine) {}

void PreviewPlayer::PlayPreview(const QByteArray& path, float volume) {
  sound::SoundSystem& sys = m_engine.System;
  // Releasing the sound stops its channel too: one preview at a time.
  if (m_slot.Sound) sys.releaseSound(m_slot.Sound);
  m_slot.Sound = 0;
  m_slot.Channel = 0;
  m_slot.Playing = false;
  m_slot.Path = path;
  const bool opened =
      m_deckEngine.CreateTrackStream(sys, m_slot.Path, m_slot.Sound) == sound::Result::Ok;
  m_deckEngine.ApplyRoute(PreviewSlot);
  float defaultVolume = 0;
  int priority = 0;
  sys.soundDefaults(m_slot.Sound, m_slot.BaseFrequency, defaultVolume, m_slot.Pan, priority);
  m_slot.Frequency = m_slot.BaseFrequency;
  m_slot.Volume = std::clamp(volume, 0.0f, 1.0f);
  sys.setSoundDefaults(m_slot.Sound, m_slot.Frequency, m_slot.Volume, m_slot.Pan, 0);
  m_slot.Playing =
      opened && sys.playSound(m_slot.Sound, false, m_slot.Channel) == sound::Result::Ok;
  m_deckEngine.ApplyDeckVolume(PreviewSlot);
}

void PreviewPlayer::SetPreviewVolume(float volume) {
  m_slot.Volume = std::clamp(volume, 0.0f, 1.0f);
  m_engine.System.setChannelVolume(m_slot.Channel, m_slot.Volume);
}

void PreviewPlayer::StopPreview() {
  m_deckEngine.StopDeck(PreviewSlot);
}

}  // namespace audio
