#include <QTest>
#include <algorithm>
#include <cmath>

#include "support/PlayerFixture.h"

namespace {

// A deck's position bar as drawn: per pixel column, how many rows differ from `before` and
// how bright the column is.
struct BarPicture {
  QImage image;
  explicit BarPicture(const audio::DeckPanel& d) : image(d.SLPos->container()->grab().toImage()) {}
  int rowsChanged(const BarPicture& before, int x) const {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) n += image.pixel(x, y) != before.image.pixel(x, y);
    return n;
  }
  int brightness(int x) const {
    int sum = 0;
    for (int y = 0; y < image.height(); ++y) sum += qGray(image.pixel(x, y));
    return sum;
  }
};

// The median over pixel columns [from, to) of a column measure.
template <class F>
int median(int from, int to, F measure) {
  std::vector<int> v;
  for (int x = from; x < to; ++x) v.push_back(measure(x));
  std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
  return v[v.size() / 2];
}

class Waveform : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    analyse = true;
    PlayerFixture::SetUp();
    main = &start();
    // Two seconds loud, two seconds quiet.
    std::vector<double> mono(4 * 44100);
    for (std::size_t i = 0; i < mono.size(); ++i)
      mono[i] = (i < mono.size() / 2 ? 0.9 : 0.06) * std::sin(double(i) * 0.0627);
    fixtures::writeWavSamples(dir.file("halves.wav"), mono);
    fixtures::writeWav(dir.file("tone.wav"), {{440, 4.0}});
  }
  audio::DeckWaveforms& waves() { return main->decks().waveforms(); }
  QByteArray path(const char* name) { return QByteArray::fromStdString(dir.file(name)); }
  bool open(const char* name, int d) {
    return main->decks().engine().OpenDeckTrack(path(name), d, true) ==
           audio::DeckActions::Open::Opened;
  }
};

TEST_F(Waveform, AnalysedTrackIsDrawnLoudAndQuietAndThePlayedPartDims) {
  audio::DeckPanel& d = main->deck(0);
  const BarPicture plain(d);
  ASSERT_TRUE(open("halves.wav", 0));
  // Until the analysis is in the bar is as before: its played strip, no overview.
  EXPECT_FALSE(waves().bar(0).hasPoints());
  EXPECT_TRUE(d.SLPosLeft->widget()->isVisibleTo(d.SLPos->container()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return waves().bar(0).hasPoints(); }, 20000));
  EXPECT_FALSE(waves().bar(1).hasPoints());
  EXPECT_FALSE(d.SLPosLeft->widget()->isVisibleTo(d.SLPos->container()));

  const int w = plain.image.width(), knob = ui::toPixels(d.PosBT->Width());
  const BarPicture drawn(d);
  const auto rows = [&](int x) { return drawn.rowsChanged(plain, x); };
  const int loud = median(knob + 4, w / 2 - 4, rows), quiet = median(w / 2 + 4, w - knob, rows);
  EXPECT_GE(loud, 10);
  EXPECT_LE(quiet, 2);
  EXPECT_GE(quiet, 1);  // a quiet passage is still seen

  // The knob and the bar under the overview keep the mouse.
  const int mid = d.SLPos->container()->height() / 2;
  EXPECT_EQ(d.SLPos->container()->childAt(knob / 2, mid), d.PosBT->widget());
  EXPECT_EQ(d.SLPos->container()->childAt(w / 4, mid), nullptr);

  // Three seconds in: the loud half has been played and is drawn darker, the rest as it was.
  render(3.0);
  main->decks().MTimer_Timer();
  const BarPicture played(d);
  const int edge = ui::toPixels(d.PosBT->Left());
  ASSERT_GT(edge, w / 2 + 20);
  const auto loss = [&](int x) { return drawn.brightness(x) - played.brightness(x); };
  EXPECT_GT(median(knob + 4, w / 2 - 4, loss), drawn.brightness(w / 4) / 3);
  EXPECT_EQ(median(edge + knob + 2, w - knob, loss), 0);

  // Another track clears the overview at once.
  ASSERT_TRUE(open("tone.wav", 0));
  EXPECT_FALSE(waves().bar(0).hasPoints());
  EXPECT_TRUE(d.SLPosLeft->widget()->isVisibleTo(d.SLPos->container()));
}

TEST_F(Waveform, TrackMeasuredInAnEarlierRunShowsWhenOpened) {
  ASSERT_TRUE(open("halves.wav", 1));
  ASSERT_TRUE(QTest::qWaitFor([&] { return waves().bar(1).hasPoints(); }, 20000));
  restart();
  // Measured before: no new result comes, the row already read is what shows.
  ASSERT_TRUE(open("halves.wav", 1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return waves().bar(1).hasPoints(); }, 5000));
  EXPECT_FALSE(waves().bar(0).hasPoints());
}

class WaveformOff : public fixtures::PlayerFixture {};

TEST_F(WaveformOff, WithoutAnalysisTheBarShowsItsPlayedStrip) {
  main = &start();
  fixtures::writeWav(dir.file("tone.wav"), {{440, 4.0}});
  ASSERT_EQ(main->decks().engine().OpenDeckTrack(QByteArray::fromStdString(dir.file("tone.wav")), 0,
                                                 true),
            audio::DeckActions::Open::Opened);
  render(1.0);
  QTest::qWait(200);
  main->decks().MTimer_Timer();
  audio::DeckPanel& d = main->deck(0);
  EXPECT_FALSE(main->decks().waveforms().bar(0).isVisibleTo(d.SLPos->container()));
  EXPECT_TRUE(d.SLPosLeft->widget()->isVisibleTo(d.SLPos->container()));
  EXPECT_GT(d.SLPosLeft->Width(), 0.0f);
}

}  // namespace
