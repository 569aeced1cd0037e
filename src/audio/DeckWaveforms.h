#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DeckEngine.h"
#include "DeckEvents.h"

namespace audio {

// A track's overview drawn across a deck's position bar, beneath its knob and marks: one
// column per pixel, the peak as a faint band and the RMS as a bright one, mirrored about the
// middle. Both looks (to play and played) are drawn once per track into images; a tick only
// moves the edge between them, so it repaints the few columns the knob passed. It never takes
// the mouse: the knob and the bar underneath get every event as before.
class WaveformBar : public QWidget {
 public:
  WaveformBar(QWidget* bar, const QColor& colour);
  // `points`: pairs of bytes, peak then RMS, 0..255 of full scale, over the whole track;
  // `inset`: the pixels at each end the track's time does not reach (half the knob). Fewer
  // than two points show nothing.
  void setPoints(std::vector<std::uint8_t> points, int inset);
  bool hasPoints() const { return !m_points.empty(); }
  // Where the played part ends, in pixels from the bar's left.
  void setPlayedTo(int x);
  int playedTo() const { return m_played; }
  // Follows the bar's size; true when the images had to be drawn again.
  bool fitBar();

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void draw();

  QColor m_colour;
  std::vector<std::uint8_t> m_points;
  int m_inset = 0;
  int m_played = 0;
  QImage m_aheadImage, m_playedImage;
};

// Keeps each deck's overview with its track: gone when a deck takes a new track, back when
// the track's summary is known (at once for a track measured before, later when the analysis
// reaches it), and its played part following the position knob at every tick.
class DeckWaveforms : public DeckEvents {
 public:
  // The summary of a path's track, or nothing when it has not been measured.
  using Source = std::function<std::vector<std::uint8_t>(const std::string& path)>;

  DeckWaveforms(DeckEngine& engine, std::array<DeckPanel*, 2> panels);
  Source source;
  // The summary of `path` is now known: a deck that holds it shows it.
  void analysed(const std::string& path);
  WaveformBar& bar(int deck) { return *m_bars[std::size_t(deck)]; }

  void trackOpening(int deck) override;
  void trackOpened(int deck) override;
  void ticked() override;

 private:
  void show(int deck, std::vector<std::uint8_t> points);
  int playedEdge(int deck) const;

  DeckEngine& m_engine;
  std::array<DeckPanel*, 2> m_panels;
  std::array<WaveformBar*, 2> m_bars{};  // owned by their bars
};

}  // namespace audio
