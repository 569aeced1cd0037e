#pragma once

#include <QString>
#include <functional>

#include "AudioEngine.h"
#include "Deck.h"
#include "DeckControls.h"
#include "platform/ui/Slider.h"

namespace audio {

// The operations that drive one deck: open a file into it, play, stop, pause and apply its
// volume. Everything that acts on a deck goes through these.
class DeckEngine {
 public:
  DeckEngine(AudioEngine& engine, DeckTable& decks, DeckControls& controls, ui::Form& mainForm,
             ui::PictureBox& currentEntryMarker);

  bool OpenDeckTrack(const QByteArray& path, int deck, bool autoplay);
  void PlayDeck(int deck);
  void StopDeck(int deck);
  void TogglePause(int deck);
  void ApplyDeckVolume(int deck);
  void InitDeckVolumes();
  sound::Result CreateTrackStream(sound::SoundSystem& system, const QByteArray& path,
                                  std::uint32_t mode, sound::Handle& sound);
  void Slider1_Change(const ui::Slider& slider);

  // The knob's place in its track as a level: 1 at the top, 0 at the bottom.
  float KnobLevel(int deck) const;
  // The deck whose "A"/"B" option is on: 0 for A, 1 for B.
  int SelectedDeck() const;

  // Supplied by the pitch and skin subsystems; until they are wired the deck plays at the
  // track's own frequency and selecting a deck only turns its option on.
  std::function<void(int deck)> SetFreq;
  std::function<void(int deck)> ChkPicPlato_Click;

  static QString TitleOf(const QByteArray& path);

 private:
  AudioEngine& m_engine;
  DeckTable& m_decks;
  DeckControls& m_controls;
  ui::Form& m_mainForm;
  ui::PictureBox& m_marker;
};

}  // namespace audio
