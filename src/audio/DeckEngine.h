#pragma once

#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "AudioEngine.h"
#include "DeckActions.h"
#include "DeckEvents.h"
#include "DeckPanel.h"
#include "DeckSelection.h"
#include "DeckState.h"
#include "Knob.h"
#include "platform/os/AudioFiles.h"
#include "platform/ui/Form.h"

namespace audio {

// The operations that drive one deck: open a file into it, play, stop, pause, set its
// frequency from its pitch knob and its volume from its volume knob. Everything that acts on
// a deck goes through these.
class DeckEngine : public DeckActions {
 public:
  DeckEngine(AudioEngine& engine, DeckTable& decks, std::array<DeckPanel*, 2> panels,
             ui::Form& mainForm, DeckSelection& selection, DeckChoice& choice,
             const platform::FileTypeChoice& fileTypes);

  [[nodiscard]] Open OpenDeckTrack(const QByteArray& path, int deck, bool autoplay) override;
  void PlayDeck(int deck) override;
  void StopDeck(int deck) override;
  void TogglePause(int deck);
  void ApplyDeckVolume(int deck);
  // Hands a slot's route (master, cue) to its stream and to the channel that plays it.
  void ApplyRoute(int slot);
  void InitDeckVolumes();
  void SetFreq(int deck);
  // Hands a deck's key lock to its sound: from then on, whatever sets the deck's frequency
  // (its pitch knob, a mix) changes its tempo and leaves its pitch.
  void ApplyKeyLock(int deck);
  // Every stream is mixed in software: there is no mode to choose.
  [[nodiscard]] sound::Result CreateTrackStream(sound::SoundSystem& system, const QByteArray& path,
                                                sound::Handle& sound);
  void setStreamBufferSeconds(int seconds);

  int SelectedDeck() const override;
  void SelectDeck(int deck) override;
  bool HasTrack(int deck) const override { return m_decks[std::size_t(deck)].Sound != 0; }
  float VolumeKnobTop(int deck) const override { return m_decks[std::size_t(deck)].VolumeTop; }
  float VolumeTravel(int deck) const override { return m_knobs[std::size_t(deck)].volume.travel(); }
  void SetVolumeKnob(int deck, float top) override;
  void PlaceVolumeKnob(int deck, float top) override;
  PositionBar positionBar(int deck) const override;
  Track TrackOf(int deck) const override;
  void SetDeckPaused(int deck, bool paused) override;
  bool SeekDeck(int deck, std::int64_t ms) override;
  double SetPitchSpeed(int deck, double speed) override;
  void BendDeck(int deck, double factor) override;
  float MasterLevel() const override { return m_engine.MasterLevel; }
  void SetMasterLevel(float level) override;
  // Where SetMasterLevel puts the master knob (the panel that owns the knob provides it).
  std::function<void(float level)> placeMasterKnob;
  // A track's level below its knob (loudness levelling), asked when a deck opens it; unset,
  // or 1, plays it as it is.
  std::function<float(const QByteArray& path)> trackGain;

  void addListener(DeckEvents* listener) { m_listeners.push_back(listener); }
  const std::vector<DeckEvents*>& listeners() const { return m_listeners; }
  // The volume knob's level: 1 at the top of its track, 0 at the bottom.
  float KnobLevel(int deck) const;
  // The pitch knob's factor of the track's own frequency: 2 at the top, near 0 at the bottom.
  double PitchFactor(int deck) const;
  // A deck's knobs, on the places its state holds.
  Knob& volumeKnob(int deck) { return m_knobs[std::size_t(deck)].volume; }
  Knob& pitchKnob(int deck) { return m_knobs[std::size_t(deck)].pitch; }
  Knob& positionKnob(int deck) { return m_knobs[std::size_t(deck)].position; }
  // The knobs of a deck shown where its state has them.
  void showKnobs(int deck);
  // One figure to one decimal, never "-0.0"; the pitch label writes it.
  static QString FormatFigure(double value);
  void ShowP(int deck);
  // The window's caption, "Torna Vel - " and the deck's title, the one place it is built:
  // at an open and when a deck is chosen. A deck with no title leaves the caption as it is.
  void ShowTitleInCaption(int deck);

  static QString TitleOf(const QByteArray& path);

 private:
  const DeckPanel& panel(int deck) const { return *m_panels[std::size_t(deck)]; }

  AudioEngine& m_engine;
  DeckTable& m_decks;
  std::array<DeckPanel*, 2> m_panels;
  ui::Form& m_mainForm;
  DeckSelection& m_selection;
  DeckChoice& m_choice;
  const platform::FileTypeChoice& m_fileTypes;
  std::vector<DeckEvents*> m_listeners;
  struct DeckKnobs {
    Knob volume, pitch, position;
  };
  std::vector<DeckKnobs> m_knobs;
};

}  // namespace audio
