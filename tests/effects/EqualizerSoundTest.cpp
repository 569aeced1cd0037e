#include <cmath>
#include <functional>

#include "support/PlayerFixture.h"

namespace {

constexpr int kRate = 44100;

double dB(double ratio) {
  return 20.0 * std::log10(ratio);
}

class EqualiserSound : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
  }
  effects::EqualizerPanel& eq() { return main->equaliser(); }
  // Plays a quiet steady tone on deck A, so a boost of 6 dB stays far below full scale.
  void playTone(double hz, double seconds = 6.0) {
    const std::string path = dir.file("tone" + std::to_string(int(hz)) + ".wav");
    fixtures::writeWav(path, {{hz, seconds}}, kRate, 2, 0.2);
    ASSERT_EQ(main->decks().engine().OpenDeckTrack(QByteArray::fromStdString(path), 0, true),
              audio::DeckActions::Open::Opened);
    render(0.2);
  }
  // The tone's level after the band has settled, over whole periods of it (the centred
  // pitch knob plays a hair fast, so the level is taken as RMS, not at one exact frequency).
  double levelAt(double hz) {
    render(0.1);
    return fixtures::rms(render(std::ceil(0.3 * hz) / hz));
  }
  void toTop(int b) {
    eq().SLPIC_MouseDown(b, 1, 0, 0, 0);
    eq().SLPIC_MouseMove(b, 1, 0, 0, -99999);
  }
};

TEST_F(EqualiserSound, EachBandBoostsAndCutsItsOwnCentre) {
  for (int b = 0; b < effects::EqualizerPanel::kBands; ++b) {
    const double hz = effects::EqualizerPanel::GetBaD(b);
    playTone(hz);
    const double flat = levelAt(hz);
    ASSERT_GT(flat, 0.1) << b;  // 0.2 / sqrt(2)
    toTop(b);
    EXPECT_NEAR(dB(levelAt(hz) / flat), 6.02, 0.5) << "band " << b << " at " << hz << " Hz";
    eq().EQDOWN_Click(b);
    EXPECT_LT(dB(levelAt(hz) / flat), -20.0) << "band " << b << " at " << hz << " Hz";
    eq().cmdreseq_Click(0);
    EXPECT_NEAR(dB(levelAt(hz) / flat), 0.0, 0.05) << b;
  }
}

TEST_F(EqualiserSound, EqOffPlaysTheMusicUntouched) {
  fixtures::writeWav(dir.file("mix.wav"), {{120, 0.5}, {2000, 0.5}, {9000, 0.5}}, kRate, 2, 0.3);
  const QByteArray path = QByteArray::fromStdString(dir.file("mix.wav"));
  for (int b : {0, 3, 7, 11, 13}) toTop(b);
  for (int b : {5, 9, 14}) eq().EQDOWN_Click(b);
  eq().EQACT->setValue(0);
  render(0.1);  // whatever fades out, fades out now
  EXPECT_EQ(main->decks().engine().OpenDeckTrack(path, 0, true), audio::DeckActions::Open::Opened);
  const std::vector<float> off = render(1.4);

  // The same track with no equaliser in the chain at all.
  for (int b = 0; b < effects::EqualizerPanel::kBands; ++b)
    program->engine().System.removeDsp(program->engine().EqUnits[std::size_t(b)]);
  render(0.1);
  EXPECT_EQ(main->decks().engine().OpenDeckTrack(path, 0, true), audio::DeckActions::Open::Opened);
  const std::vector<float> bare = render(1.4);
  ASSERT_EQ(off.size(), bare.size());
  double worst = 0;
  for (std::size_t i = 0; i < off.size(); ++i)
    worst = std::max(worst, double(std::fabs(off[i] - bare[i])));
  EXPECT_LE(worst, 1e-6);
  EXPECT_GT(fixtures::rms(off), 0.1);
}

TEST_F(EqualiserSound, TickingEqOnOffBringsTheBandsBack) {
  playTone(1000);
  const double flat = levelAt(1000);
  toTop(6);
  eq().EQACT->setValue(0);
  EXPECT_FALSE(eq().state().enabled);
  EXPECT_NEAR(dB(levelAt(1000) / flat), 0.0, 0.05);
  // A band moved while the equaliser is off keeps its new place, heard once it is on.
  eq().EQDOWN_Click(6);
  EXPECT_EQ(eq().state().bands[6].level, 20);
  EXPECT_NEAR(dB(levelAt(1000) / flat), 0.0, 0.05);
  eq().EQACT->setValue(1);
  EXPECT_LT(dB(levelAt(1000) / flat), -20.0);
  toTop(6);
  EXPECT_NEAR(dB(levelAt(1000) / flat), 6.02, 0.5);
}

// What the output did while the user worked the equaliser: its largest sample, its largest
// step from one sample to the next, and the largest step of the music before.
struct Excursion {
  double loudest = 0, worstStep = 0, naturalStep = 0;
  bool finite = true;
};

class EqualiserUnderTheHand : public EqualiserSound {
 protected:
  // Plays a low tone and calls `act` before each of `blocks` blocks of 256 frames.
  Excursion follow(int blocks, const std::function<void(int)>& act) {
    playTone(80, 8.0);
    Excursion e;
    const std::vector<float> steady = render(0.2);
    for (std::size_t i = 2; i < steady.size(); i += 2)
      e.naturalStep = std::max(e.naturalStep, double(std::fabs(steady[i] - steady[i - 2])));
    float previous = steady[steady.size() - 2];
    std::vector<float> out(256 * 2);
    for (int block = 0; block < blocks; ++block) {
      act(block);
      program->engine().System.render(out.data(), 256);
      for (std::size_t i = 0; i < out.size(); i += 2) {
        e.finite = e.finite && std::isfinite(out[i]);
        e.loudest = std::max(e.loudest, double(std::fabs(out[i])));
        e.worstStep = std::max(e.worstStep, double(std::fabs(out[i] - previous)));
        previous = out[i];
      }
    }
    return e;
  }
  // Every thumb from one end of its track to the other, every block.
  Excursion dragAllBands() {
    const float travel = eq().travel(0);
    return follow(40, [&](int block) {
      for (int b = 0; b < effects::EqualizerPanel::kBands; ++b) {
        eq().SLPIC_MouseDown(b, 1, 0, 0, 0);
        eq().SLPIC_MouseMove(b, 1, 0, 0, (block % 2 ? 1.0f : -1.0f) * travel);
      }
    });
  }
};

TEST_F(EqualiserUnderTheHand, FastDragsAndEqOnOffStayStableAndDoNotClick) {
  const Excursion drags = dragAllBands();
  EXPECT_TRUE(drags.finite);
  // Every band at gain 2 around 80 Hz adds up to far less than this.
  EXPECT_LT(drags.loudest, 1.5);
  EXPECT_LT(drags.worstStep, 8 * drags.naturalStep) << "natural step " << drags.naturalStep;
  eq().cmdreseq_Click(0);
  for (int b : {0, 1, 2}) toTop(b);
  const Excursion toggles =
      follow(40, [&](int block) { eq().EQACT->setValue(block % 4 < 2 ? 0 : 1); });
  EXPECT_LT(toggles.worstStep, 8 * toggles.naturalStep) << "natural step " << toggles.naturalStep;
}

}  // namespace
