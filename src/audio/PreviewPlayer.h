#pragma once

#include "AudioEngine.h"
#include "DeckEngine.h"
#include "DeckState.h"
#include "PreviewActions.h"

namespace audio {

// The pre-listening player: slot 2 of the deck table, opened and stopped through the deck
// operations but with no knobs of its own; its level comes from the samples list's slider.
class PreviewPlayer : public PreviewActions {
 public:
  PreviewPlayer(AudioEngine& engine, DeckTable& decks, DeckEngine& deckEngine);

  void PlayPreview(const QByteArray& path, float volume) override;
  void SetPreviewVolume(float volume) override;
  void StopPreview() override;

 private:
  AudioEngine& m_engine;
  DeckState& m_slot;
  DeckEngine& m_deckEngine;
};

}  // namespace audio
