#include "DeckWaveforms.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "DeckPanel.h"

namespace audio {

namespace {
// The played part keeps its shape, at about a third of the brightness.
constexpr int kPlayedDarker = 300;
}  // namespace

WaveformBar::WaveformBar(QWidget* bar, const QColor& colour) : QWidget(bar), m_colour(colour) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setGeometry(bar->rect());
  lower();  // beneath the knob, the played part's strip and the mix marks
  hide();
}

void WaveformBar::setPoints(std::vector<std::uint8_t> points, int inset) {
  if (points.size() < 4) points.clear();
  points.resize(points.size() / 2 * 2);
  m_points = std::move(points);
  m_inset = std::max(inset, 0);
  setGeometry(parentWidget()->rect());
  draw();
  setVisible(hasPoints());
  update();
}

bool WaveformBar::fitBar() {
  if (size() == parentWidget()->size()) return false;
  setGeometry(parentWidget()->rect());
  draw();
  update();
  return true;
}

void WaveformBar::setPlayedTo(int x) {
  x = std::clamp(x, 0, width());
  if (x == m_played) return;
  // Only the columns between the old edge and the new one change.
  update(QRect(std::min(x, m_played), 0, std::abs(x - m_played), height()));
  m_played = x;
}

void WaveformBar::draw() {
  const int w = width(), h = height();
  m_aheadImage = QImage();
  m_playedImage = QImage();
  const int n = int(m_points.size() / 2), span = w - 2 * m_inset;
  if (n < 2 || span < 1 || h < 3) return;
  m_aheadImage = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
  m_aheadImage.fill(Qt::transparent);
  const QColor peak(m_colour.red(), m_colour.green(), m_colour.blue(), 150);
  const QColor rms = m_colour.lighter(140);
  const QRgb peakPixel = qPremultiply(peak.rgba()), rmsPixel = qPremultiply(rms.rgba());
  // Rows grow out from the middle two, and leave the bar's edge rows to its frame.
  const int halfRows = (h - 2) / 2, upper = h / 2 - 1, lower = h - h / 2;
  // Heights are scaled to the track's own loudest peak, so a quiet recording fills the bar
  // as well as a loud one; the shape within the track is what tells the passages apart.
  int loudest = 1;
  for (std::size_t i = 0; i < m_points.size(); i += 2)
    loudest = std::max<int>(loudest, m_points[i]);
  const double scale = double(halfRows) / loudest;
  for (int c = 0; c < span; ++c) {
    // The points this column covers: the loudest peak, and the power of their RMS.
    const int first = int(std::int64_t(c) * n / span);
    const int last = std::max(first + 1, int(std::int64_t(c + 1) * n / span));
    int top = 0;
    double power = 0;
    for (int i = first; i < last; ++i) {
      top = std::max<int>(top, m_points[std::size_t(2 * i)]);
      const double r = m_points[std::size_t(2 * i + 1)];
      power += r * r;
    }
    const double rmsLevel = std::sqrt(power / (last - first));
    // Rounded up, so that a quiet passage still shows as a line, unlike silence.
    const int peakRows = int(std::ceil(top * scale));
    const int rmsRows = std::min(peakRows, int(std::lround(rmsLevel * scale)));
    const int x = m_inset + c;
    for (int y = 0; y < peakRows; ++y) {
      const QRgb pixel = y < rmsRows ? rmsPixel : peakPixel;
      reinterpret_cast<QRgb*>(m_aheadImage.scanLine(upper - y))[x] = pixel;
      reinterpret_cast<QRgb*>(m_aheadImage.scanLine(lower + y))[x] = pixel;
    }
  }
  m_playedImage = m_aheadImage.copy();
  QPainter p(&m_playedImage);
  p.setCompositionMode(QPainter::CompositionMode_SourceIn);
  p.fillRect(m_playedImage.rect(), m_colour.darker(kPlayedDarker));
}

void WaveformBar::paintEvent(QPaintEvent* e) {
  if (m_aheadImage.isNull()) return;
  QPainter p(this);
  const QRect r = e->rect();
  const QRect played = r.intersected(QRect(0, 0, m_played, height()));
  const QRect ahead = r.intersected(QRect(m_played, 0, width() - m_played, height()));
  if (!played.isEmpty()) p.drawImage(played.topLeft(), m_playedImage, played);
  if (!ahead.isEmpty()) p.drawImage(ahead.topLeft(), m_aheadImage, ahead);
}

DeckWaveforms::DeckWaveforms(DeckEngine& engine, std::array<DeckPanel*, 2> panels)
    : m_engine(engine), m_panels(panels) {
  for (int k = 0; k < 2; ++k)
    m_bars[std::size_t(k)] =
        new WaveformBar(panels[std::size_t(k)]->SLPos->container(), ui::darkPalette().accent[k]);
}

void DeckWaveforms::show(int deck, std::vector<std::uint8_t> points) {
  DeckPanel& p = *m_panels[std::size_t(deck)];
  WaveformBar& w = bar(deck);
  w.setPoints(std::move(points), ui::toPixels(p.PosBT->Width()) / 2);
  w.setPlayedTo(playedEdge(deck));
  // The overview shows what was played itself; without one the strip shows it as before.
  p.SLPosLeft->setVisible(!w.hasPoints());
}

int DeckWaveforms::playedEdge(int deck) const {
  const DeckPanel& p = *m_panels[std::size_t(deck)];
  return ui::toPixels(p.PosBT->Left() + p.PosBT->Width() / 2);
}

void DeckWaveforms::analysed(const std::string& path) {
  for (int k = 0; k < 2; ++k)
    if (source && !path.empty() && m_engine.TrackOf(k).path.toStdString() == path)
      show(k, source(path));
}

void DeckWaveforms::trackOpening(int deck) {
  if (deck == DeckA || deck == DeckB) show(deck, {});
}

void DeckWaveforms::trackOpened(int deck) {
  if ((deck != DeckA && deck != DeckB) || !source) return;
  const QByteArray path = m_engine.TrackOf(deck).path;
  if (!path.isEmpty()) show(deck, source(path.toStdString()));
}

void DeckWaveforms::ticked() {
  for (int k = 0; k < 2; ++k) {
    WaveformBar& w = bar(k);
    if (!w.hasPoints()) continue;
    w.fitBar();
    w.setPlayedTo(playedEdge(k));
  }
}

}  // namespace audio
