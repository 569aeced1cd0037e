#pragma once

namespace audio {

// Told what the decks do: a deck takes a new track (the playlist hides its current-entry bar
// then), and the 100 ms tick has followed the decks (the spectra draw then).
class DeckEvents {
 public:
  virtual ~DeckEvents() = default;
  virtual void trackOpening(int /*deck*/) {}
  virtual void trackOpened(int /*deck*/) {}
  virtual void ticked() {}
};

}  // namespace audio
