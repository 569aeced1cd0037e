#pragma once

#include <QByteArray>

class QWidget;

namespace audio {

// What other parts of the player may do to the decks: the deck operations, the selected
// deck, the volume knob that fades follow, and the position bar that auto-mix marks.
class DeckActions {
 public:
  virtual ~DeckActions() = default;

  virtual bool OpenDeckTrack(const QByteArray& path, int deck, bool autoplay) = 0;
  virtual void PlayDeck(int deck) = 0;
  virtual void StopDeck(int deck) = 0;
  // The deck whose option is on: 0 for "A", 1 for "B".
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
};

}  // namespace audio
