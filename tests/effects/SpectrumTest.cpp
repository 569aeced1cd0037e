#include <QImage>
#include <cmath>

#include "effects/ColourValue.h"
#include "support/PlayerFixture.h"

namespace {

// The bars a frame left in a spectrum picture: for each pixel column, the topmost row drawn
// in it (-1 where nothing was drawn).
std::vector<int> barTops(ui::PictureBox& pic) {
  const QImage shot = pic.widget()->grab().toImage();
  const QRgb back = pic.BackColor().rgb();
  std::vector<int> tops(std::size_t(shot.width()), -1);
  for (int x = 0; x < shot.width(); ++x)
    for (int y = 0; y < shot.height() && tops[std::size_t(x)] < 0; ++y)
      if (shot.pixel(x, y) != back) tops[std::size_t(x)] = y;
  return tops;
}
int drawnColumns(const std::vector<int>& tops) {
  return int(std::count_if(tops.begin(), tops.end(), [](int t) { return t >= 0; }));
}

class Spectrum : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
    fx().outputChannels = [this] { return channels; };
  }
  effects::SpectrumDisplay& fx() { return main->spectrum(); }
  ui::PictureBox& pic(int d) { return *main->deck(d).SpectPic; }
  // Deck `d` then shows `values` (the rest 0) instead of its sound.
  void show(std::vector<float> values) {
    fx().readSpectrum = [values](sound::Handle, float* out) {
      std::fill(out, out + 64, 0.0f);
      std::copy(values.begin(), values.end(), out);
    };
  }
  void playQuietTone(int d) {
    fixtures::writeWav(dir.file("quiet.wav"), {{1500, 4.0}}, 44100, 2, 0.05);
    ASSERT_EQ(main->decks().engine().OpenDeckTrack(QByteArray::fromStdString(dir.file("quiet.wav")),
                                                   d, true),
              audio::DeckActions::Open::Opened);
    render(0.3);
  }
  int channels = 2;
};

TEST_F(Spectrum, APlayingDeckDrawsBarsAndASilentOneNothing) {
  playQuietTone(0);
  main->decks().MTimer_Timer();
  EXPECT_GT(drawnColumns(barTops(pic(0))), 4);
  EXPECT_EQ(drawnColumns(barTops(pic(1))), 0);
  EXPECT_GT(main->deck(0).pl1->Width(), 0.0f);
  EXPECT_EQ(fx().CD1A[1]->BackColor(), QColor(0, 0, 0));
}

TEST_F(Spectrum, AMonoOutputDrawsUprightStrokesOnly) {
  std::vector<float> values(32);
  for (int i = 0; i < 32; ++i) values[std::size_t(i)] = 0.004f * float(32 - i);
  show(values);
  channels = 1;
  fx().FX(0);
  const int mono = drawnColumns(barTops(pic(0)));
  EXPECT_GT(mono, 20);
  EXPECT_LE(mono, 32);
  // Each stroke runs from its top down to the bottom edge, one pixel wide.
  const QImage shot = pic(0).widget()->grab().toImage();
  const std::vector<int> tops = barTops(pic(0));
  for (int x = 0; x < shot.width(); ++x) {
    if (tops[std::size_t(x)] < 0) continue;
    for (int y = tops[std::size_t(x)]; y < shot.height(); ++y)
      ASSERT_NE(shot.pixel(x, y), pic(0).BackColor().rgb()) << x << "," << y;
  }
  // A stereo output's second pass widens the bars to the right.
  channels = 2;
  fx().FX(0);
  EXPECT_GT(drawnColumns(barTops(pic(0))), mono + 20);
}

TEST_F(Spectrum, TheBarsFillAnyPictureAsTheyFillTheLaidOutOne) {
  show(std::vector<float>(32, 0.01f));
  // The share of the columns drawn, and how far down the first bar's top is.
  const auto frameAt = [this](float width, float height) {
    pic(0).setWidth(width);
    pic(0).setHeight(height);
    fx().FX(0);
    const std::vector<int> tops = barTops(pic(0));
    return std::pair{double(drawnColumns(tops)) / double(tops.size()),
                     double(tops[0]) / double(pic(0).widget()->height())};
  };
  // Each value is halved to 0.005 and becomes the peak: the bars stand sqrt(0.04) / 1.005 of
  // the height, less the lift of 35 twips in 330. A stereo bar is 40 of the 46 twips
  // between bars (at the laid-out size a pixel's rounding fills the gap).
  const double top = 1.0 - std::sqrt(0.04) / 1.005 + 35.0 / 330.0, share = 40.0 / (1440.0 / 31.0);
  EXPECT_GT(frameAt(1440, 330).first, share);
  for (const auto& [w, h] : {std::pair{5760.0f, 1320.0f}, std::pair{2880.0f, 990.0f}}) {
    const auto [drawn, first] = frameAt(w, h);
    EXPECT_NEAR(drawn, share, 0.08) << w << "x" << h;
    EXPECT_NEAR(first, top, 0.03) << w << "x" << h;
  }
}

TEST_F(Spectrum, TheLoudestFirstBandIsHalvedAndSetsThePeakBar) {
  channels = 1;
  std::vector<float> values(32, 0.02f);
  values[0] = 0.1f;
  show(values);
  fx().FX(0);
  EXPECT_EQ(main->deck(0).pl1->Width(), 50.0f);  // half of 0.1, times 1000
  const std::vector<int> tops = barTops(pic(0));
  // Drawn from 0.05: its top 45 pixels down (from 0.1 it would be 22), still the tallest.
  EXPECT_NEAR(tops[0], 45, 2);
  for (std::size_t x = 1; x < tops.size(); ++x) {
    if (tops[x] >= 0) {
      EXPECT_GT(tops[x], tops[0] + 10) << x;
    }
  }
}

TEST_F(Spectrum, ItDrawsOnlyWhileSwitchedOnAndTheWindowIsNormal) {
  std::vector<float> values(32, 0.01f);
  show(values);
  main->decks().MTimer_Timer();
  const std::vector<int> frame = barTops(pic(0));
  ASSERT_GT(drawnColumns(frame), 20);
  show({});
  main->options().chkvfx->setValue(0);
  main->decks().MTimer_Timer();
  EXPECT_EQ(barTops(pic(0)), frame);  // the last frame stays
  main->options().chkvfx->setValue(1);
  main->form().widget()->setWindowState(Qt::WindowMinimized);
  main->decks().MTimer_Timer();
  EXPECT_EQ(barTops(pic(0)), frame);
  main->form().widget()->setWindowState(Qt::WindowMaximized);
  main->decks().MTimer_Timer();
  EXPECT_EQ(barTops(pic(0)), frame);
  main->form().widget()->setWindowState(Qt::WindowNoState);
  main->decks().MTimer_Timer();
  EXPECT_EQ(drawnColumns(barTops(pic(0))), 0);  // silence now: the bars are gone
}

TEST_F(Spectrum, TheLightsBlueStopsAtFullAndTwoFullLightsAreNoColour) {
  // floor(sqrt(a) * 2550) of 50, 51 and 52, times five: 250, 255, and 260 held at 255.
  EXPECT_EQ(effects::lightBlue(std::pow(50.5 / 2550, 2)), 250);
  EXPECT_EQ(effects::lightBlue(std::pow(51.5 / 2550, 2)), 255);
  EXPECT_EQ(effects::lightBlue(std::pow(52.5 / 2550, 2)), 255);
  EXPECT_EQ(effects::lightBlue(0.0), 0);

  ui::PictureBox& bar = *main->playlist().view().PICSEL[2];
  const QColor before = bar.BackColor();
  // One deck lit: the bar and the logo take its blue.
  show(std::vector<float>(32, 0.05f));
  fx().FX(0);
  const QColor lit = fx().CD1A[0]->BackColor();
  EXPECT_EQ(lit.red(), 0);
  EXPECT_EQ(lit.blue(), 255);
  EXPECT_EQ(bar.BackColor(), lit);
  EXPECT_EQ(fx().LBLLGXP->ForeColor(), lit);
  // Both lit: blue 510 is no colour, so the bar keeps its colour and the logo follows it.
  fx().FX(1);
  EXPECT_EQ(fx().CD1A[1]->BackColor(), lit);
  EXPECT_EQ(bar.BackColor(), lit);
  EXPECT_EQ(fx().LBLLGXP->ForeColor(), lit);
  EXPECT_NE(before, lit);
  QColor none;
  EXPECT_FALSE(effects::colourOf(effects::colourValue(lit) * 2, none));
}

}  // namespace
