#pragma once

#include <array>
#include <functional>
#include <optional>

#include "audio/AudioEngine.h"
#include "audio/DeckEvents.h"
#include "audio/DeckPanel.h"
#include "audio/DeckState.h"
#include "platform/ui/Form.h"

namespace effects {

// Whether the spectra are drawn: the options' box "Ver Visualizacion de barras" shows it.
struct SpectrumSwitch {
  bool on = true;
};

// The decks' bar spectra, drawn ten times a second after the decks' tick: 32 bars of each
// deck's latest sound in its spectrum picture, the peak bar's width, the deck's level light,
// and from the two lights the colour of the playlist's current-entry bar and of the logo.
// It draws only while the spectrum switch is on and the window is neither
// minimised nor maximised; otherwise the last frame stays.
class SpectrumDisplay : public audio::DeckEvents {
 public:
  // Where the level colour goes besides the lights (the playlist's current-entry bar): the
  // colour it shows, and a way to show another.
  struct ColourTarget {
    std::function<QColor()> colour;
    std::function<void(const QColor&)> setColour;
  };

  SpectrumDisplay(ui::Form& window, ui::Builder& build, audio::AudioEngine& engine,
                  const audio::DeckTable& decks, std::array<audio::DeckPanel*, 2> panels,
                  const SpectrumSwitch& shown);

  void ticked() override;
  // Draws one frame of deck `Index`.
  void FX(int Index);

  // The bars of the frame's first pass stand upright; each further output channel draws
  // one more pass, its bars as filled columns widening to the right.
  std::function<int()> outputChannels;
  // Fills 64 spectrum values of a channel (triangle window); the sound system's by default.
  std::function<void(sound::Handle channel, float* values)> readSpectrum;
  ColourTarget currentBar;

  std::array<ui::PictureBox*, 3> CD1A{};  // the level lights of the decks (2 is spare)
  ui::Label* LBLLGXP;                     // the logo

 private:
  // Shows deck `deck`'s light, and `barColour` (if any) on the bar and the logo.
  void showColours(int deck, const std::optional<QColor>& barColour);

  audio::AudioEngine& m_engine;
  const audio::DeckTable& m_decks;
  std::array<audio::DeckPanel*, 2> m_panels;
  ui::Form& m_window;
  const SpectrumSwitch& m_shown;
  std::array<std::int64_t, 3> m_light{};  // each light's colour value
};

// The blue of a level light for a running level `average` of the spectrum: brighter with
// the level, full blue from a level of 0.0004 on.
int lightBlue(double average);

}  // namespace effects
