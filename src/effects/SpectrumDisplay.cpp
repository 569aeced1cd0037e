#include "SpectrumDisplay.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "ColourValue.h"
#include "skin/Metrics.h"

namespace effects {

using skin::px;

namespace {
constexpr int kRequested = 64;  // values asked of the sound system per pass
constexpr int kBars = 32;       // the lower half of them, drawn
// The size, in twips, for which the bars' lift and a stereo bar's width are given.
constexpr double kLaidOutWidth = 1440.0, kLaidOutHeight = 330.0;
// The light sits right of the deck's title strip: from the spectrum's corner, this far.
constexpr float kLightRight = px(356), kLightUp = px(56), kLightSize = px(10);
}  // namespace

int lightBlue(double average) {
  const double blue = std::nearbyint(std::floor(std::sqrt(average) * 255.0 * 100.0 / 10.0) * 5.0);
  return int(std::clamp(blue, 0.0, 255.0));
}

SpectrumDisplay::SpectrumDisplay(ui::Form& window, ui::Builder& build, audio::AudioEngine& engine,
                                 const audio::DeckTable& decks,
                                 std::array<audio::DeckPanel*, 2> panels,
                                 const SpectrumSwitch& shown)
    : m_engine(engine), m_decks(decks), m_panels(panels), m_window(window), m_shown(shown) {
  QWidget* root = window.container();
  const ui::Palette& c = ui::darkPalette();
  for (int i = 0; i < 3; ++i) {
    // The spare light sits by deck B's, hidden.
    const QWidget* spect = panels[std::size_t(std::min(i, 1))]->SpectPic->widget();
    const QPoint at = spect->mapTo(root, QPoint(0, 0));
    CD1A[std::size_t(i)] = build.named(
        ui::Builder::box(root, ui::toTwips(at.x()) + kLightRight, ui::toTwips(at.y()) - kLightUp,
                         kLightSize, kLightSize, QColor(0, 0, 0)),
        "CD1A", i);
    CD1A[std::size_t(i)]->setBorder(c.edge);
  }
  CD1A[2]->setVisible(false);
  LBLLGXP = build.named(
      ui::Builder::label(root, px(16), px(290), px(220), px(24), "TORNA VEL", 18, c.dim, true),
      "LBLLGXP");
  outputChannels = [this] {
    int rate = 0, channels = 2;
    m_engine.System.softwareFormat(rate, channels);
    return channels;
  };
  readSpectrum = [this](sound::Handle channel, float* values) {
    m_engine.System.channelSpectrum(channel, values, kRequested, 0, sound::Window::Triangle);
  };
}

void SpectrumDisplay::ticked() {
  const Qt::WindowStates state = m_window.widget()->windowState();
  if (!m_shown.on || (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
    return;
  FX(0);
  FX(1);
}

void SpectrumDisplay::showColours(int deck, const std::optional<QColor>& barColour) {
  QColor light;
  colourOf(m_light[std::size_t(deck)], light);
  if (CD1A[std::size_t(deck)]->BackColor() != light) CD1A[std::size_t(deck)]->setBackColor(light);
  if (!currentBar.colour || !currentBar.setColour) return;
  if (barColour && *barColour != currentBar.colour()) currentBar.setColour(*barColour);
  LBLLGXP->setForeColor(currentBar.colour());
}

void SpectrumDisplay::FX(int Index) {
  if (Index < 0 || Index > 1) return;
  const int passes = outputChannels();
  audio::DeckPanel& panel = *m_panels[std::size_t(Index)];
  ui::PictureBox& pic = *panel.SpectPic;
  pic.Cls();
  panel.XVolSL->Cls();

  const sound::Handle channel = m_decks[std::size_t(Index)].Channel;
  const double inner = pic.ScaleHeight(), height = pic.Height(), width = pic.Width();
  // The bars' lift from the top and a second pass's width are set for the picture's
  // laid-out size; a skin's larger or smaller picture scales them with it.
  const double lift = 35.0 * height / kLaidOutHeight, wide = 40.0 * width / kLaidOutWidth;
  // A deck with nothing playing leaves the values at 0: every bar then ends at the bottom
  // edge and nothing shows.
  std::array<float, 129> spectrum{};
  float peak = 0.0f, average = 0.0f;
  // The lights, the bar and the logo change colour at every bar, but only their colours at
  // the end of the frame are ever seen: they are worked out here and shown once.
  std::optional<QColor> barColour;
  for (int pass = 0; pass < passes; ++pass) {
    readSpectrum(channel, spectrum.data());
    // Each value above the running peak is halved and becomes the peak: the peak bar
    // follows the loudest band, and that band is drawn lower than it was.
    bool newPeak = false;
    for (int i = 0; i < kBars; ++i) {
      if (peak < spectrum[std::size_t(i)]) {
        spectrum[std::size_t(i)] /= 2.0f;
        peak = spectrum[std::size_t(i)];
        newPeak = true;
      }
    }
    // Only the last peak of the scan is ever seen, so the bar is resized once.
    const float peakWidth = float(std::floor(double(peak) * 1000.0));
    if (newPeak && panel.pl1->Width() != peakWidth) panel.pl1->setWidth(peakWidth);
    for (int i = 0; i < kBars; ++i) {
      float& value = spectrum[std::size_t(i)];
      value *= 8.0f;
      double h = std::sqrt(double(value)) / (double(peak) + 1.0) * height;
      if (h >= inner) h -= 1.0;
      if (h < 0.0) h = 0.0;
      const double y = inner - h;
      average = float((double(average) + double(value)) / 32.0);
      m_light[std::size_t(Index)] = colourValue(0, 0, lightBlue(average));
      // Two bright lights add up to no colour at all; the bar then keeps the one it had.
      QColor sum;
      if (colourOf(m_light[0] + m_light[1], sum)) barColour = sum;
      // A bar that would reach the top edge is not drawn at all.
      if (y <= 0.0) continue;
      const double x1 = width / 31.0 * i;
      const QColor colour(std::min(25 * (pass + 1), 255), int(std::nearbyint(y / inner * 255.0)),
                          255);
      if (pass == 0)
        pic.Line(float(x1), float(inner), float(x1), float(y + lift), colour);
      else
        pic.FillRect(float(x1), float(y + lift), float(wide * pass), float(inner - (y + lift)),
                     colour);
    }
  }
  showColours(Index, barColour);
}

}  // namespace effects
