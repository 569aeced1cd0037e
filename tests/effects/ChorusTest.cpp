#include <cmath>

#include "support/PlayerFixture.h"

namespace {

class Chorus : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
  }
  bool chorusActive() {
    bool active = false;
    program->engine().System.dspActive(program->engine().ChorusUnit, active);
    return active;
  }
  std::vector<float> playFromStart(const std::string& file, double seconds) {
    EXPECT_EQ(main->decks().engine().OpenDeckTrack(QByteArray::fromStdString(file), 0, true),
              audio::DeckActions::Open::Opened);
    return render(seconds);
  }
};

TEST_F(Chorus, EachClickFlipsTheUnitWhateverTheBoxSays) {
  effects::ChorusSwitch& c = main->chorus();
  EXPECT_EQ(c.chkChorus->Value(), 0);
  EXPECT_EQ(c.chkChorus->Caption(), "chorus");
  EXPECT_FALSE(chorusActive());
  c.chkChorus->setValue(1);
  EXPECT_TRUE(chorusActive());
  c.chkChorus->setValue(0);
  EXPECT_FALSE(chorusActive());
  // The unit, not the tick, decides: a click that leaves the tick alone still flips it.
  c.chkChorus_Click();
  EXPECT_TRUE(chorusActive());
  c.chkChorus_Click();
  EXPECT_FALSE(chorusActive());
  // The equaliser's units are not disturbed.
  bool eqActive = false;
  program->engine().System.dspActive(program->engine().EqUnits[14], eqActive);
  EXPECT_TRUE(eqActive);
}

TEST_F(Chorus, ItChangesTheSoundAndKeepsAFullScaleTrackInRange) {
  fixtures::writeWav(dir.file("full.wav"), {{220, 1.0}, {3000, 1.0}}, 44100, 2, 1.0);
  const std::vector<float> dry = playFromStart(dir.file("full.wav"), 1.8);
  main->chorus().chkChorus->setValue(1);
  const std::vector<float> wet = playFromStart(dir.file("full.wav"), 1.8);
  ASSERT_EQ(dry.size(), wet.size());
  double difference = 0, loudest = 0, dryLoudest = 0;
  for (std::size_t i = 0; i < dry.size(); ++i) {
    difference += (wet[i] - dry[i]) * (wet[i] - dry[i]);
    loudest = std::max(loudest, double(std::fabs(wet[i])));
    dryLoudest = std::max(dryLoudest, double(std::fabs(dry[i])));
  }
  EXPECT_GT(std::sqrt(difference / double(dry.size())), 0.05);
  ASSERT_GT(dryLoudest, 0.9);  // the track reaches full scale (the output's limiter aside)
  EXPECT_LE(loudest, 1.0);
}

}  // namespace
