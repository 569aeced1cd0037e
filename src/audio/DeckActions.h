#pragma once

#include <QByteArray>
#include <cstdint>

class QWidget;

namespace audio {

// What other parts of the player may do to the decks: the deck operations, the selected
// deck, the volume knob that fades follow, the position bar that auto-mix marks, and what a
// deck holds and how it plays, for the desktop's media controls.
class DeckActions {
 public:
  virtual ~DeckActions() = default;

  // What an open did. Refused: not an audio file the player takes, or no such deck;
  // nothing changed. Failed: the deck took the file (its title, its place in a list) but
  // the stream did not open, so the deck holds no track. Opened: the deck holds the track.
  enum class Open { Refused, Failed, Opened };
  [[nodiscard]] virtual Open OpenDeckTrack(const QByteArray& path, int deck, bool autoplay) = 0;
  virtual void PlayDeck(int deck) = 0;
  virtual void StopDeck(int deck) = 0;
  // The selected deck, whose option is on: 0 for "A", 1 for "B".
  virtual int SelectedDeck() const = 0;
  // Makes `deck` the selected deck: its option on, its toggle pressed.
  virtual void SelectDeck(int deck) = 0;
  virtual bool HasTrack(int deck) const = 0;

  // The volume knob, in twips from the top of its track (0 is full level).
  virtual float VolumeKnobTop(int deck) const = 0;
  virtual float VolumeTravel(int deck) const = 0;
  // Puts the knob at `top` (kept inside its track) and applies its level to the deck.
  virtual void SetVolumeKnob(int deck, float top) = 0;
  // Only moves the knob (kept inside its track): the deck's level stays as it is until the
  // deck next plays, e.g. for a deck that is stopped or about to take a new track.
  virtual void PlaceVolumeKnob(int deck, float top) = 0;

  // The position bar: its knob's left edge and width, the bar's width and height, and the
  // widget that holds them (marks on the bar go there).
  struct PositionBar {
    float knobLeft = 0, knobWidth = 0, width = 0, height = 0;
    QWidget* container = nullptr;
  };
  virtual PositionBar positionBar(int deck) const = 0;

  // A deck's track and how it plays: Empty without a track, Stopped when stopped or played
  // to its end. The position is the channel's own (0 unless playing or paused); the length
  // is 0 when the file did not say. The speed is how fast the file's time passes against
  // the clock's, as the pitch knob sets it.
  enum class Playback { Empty, Stopped, Playing, Paused };
  struct Track {
    QByteArray path;
    std::int64_t lengthMs = 0, positionMs = 0;
    Playback playback = Playback::Empty;
    double speed = 1.0;
  };
  virtual Track TrackOf(int deck) const = 0;
  // Pauses or resumes a deck that is playing; its position stays.
  virtual void SetDeckPaused(int deck, bool paused) = 0;
  // Moves a playing or paused deck to `ms` from its start, its position knob with it. False,
  // and nothing moves, for a deck that is not playing or a place outside its track.
  virtual bool SeekDeck(int deck, std::int64_t ms) = 0;
  // Puts the pitch knob where the deck plays at `speed` (kept inside its track), shows it on
  // the knob's label and applies it; returns the speed the knob now gives.
  virtual double SetPitchSpeed(int deck, double speed) = 0;
  // Plays a deck `factor` times as fast as its pitch knob says, for a moment: its knob and
  // label stay. A bend lasts until the knob next sets the speed, or a bend of 1.
  virtual void BendDeck(int deck, double factor) = 0;
  // The master level (0..1, in the knob's tenths), and setting it as a drag of the master
  // knob to that level would.
  virtual float MasterLevel() const = 0;
  virtual void SetMasterLevel(float level) = 0;
};

}  // namespace audio
