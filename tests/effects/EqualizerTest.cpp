#include <QSettings>

#include "platform/sound/ParametricEq.h"
#include "support/PlayerFixture.h"

namespace {

constexpr int kBands = effects::EqualizerPanel::kBands;

class Equaliser : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
  }
  effects::EqualizerPanel& eq() { return main->equaliser(); }
  float unitParameter(int band, int index) {
    float v = -1;
    program->engine().System.dspParameter(program->engine().EqUnits[std::size_t(band)], index, v);
    return v;
  }
  float gain(int band) { return unitParameter(band, sound::ParametricEq::Gain); }
  float centre(int band) { return unitParameter(band, sound::ParametricEq::Center); }
  float top(int band) { return eq().SLPIC[std::size_t(band)]->Top(); }
  int level(int band) { return eq().VSEQ[std::size_t(band)]->Value(); }
  // Drags band `b`'s thumb by `dy` twips with the left button.
  void drag(int b, float dy, int button = ui::LeftButton) {
    eq().SLPIC_MouseDown(b, button, 0, 0, 100);
    eq().SLPIC_MouseMove(b, button, 0, 0, 100 + dy);
  }
  void store(int band, const QString& value) {
    program->settings().SaveSetting("TORNAVEL", "CONFIGEQ", QString::number(band), value);
  }
};

TEST_F(Equaliser, AFreshInstallationIsFlatAndEveryUnitIsInTheChain) {
  for (int b = 0; b < kBands; ++b) {
    bool active = false;
    program->engine().System.dspActive(program->engine().EqUnits[std::size_t(b)], active);
    EXPECT_TRUE(active) << b;
    EXPECT_EQ(top(b), eq().travel(b) / 2) << b;
    EXPECT_EQ(level(b), 10) << b;
    EXPECT_EQ(gain(b), 1.0f) << b;
    EXPECT_EQ(centre(b), float(effects::EqualizerPanel::GetBaD(b))) << b;
  }
  // The spare unit is never in the chain.
  bool active = true;
  program->engine().System.dspActive(program->engine().EqUnits[15], active);
  EXPECT_FALSE(active);
  EXPECT_EQ(eq().EQACT->Value(), 1);
  EXPECT_EQ(eq().EQACT->Caption(), "EQ ON/OFF");

  // Flat with any skin: a track of another height still puts an unsaved band mid-travel.
  eq().BACKEQSL[4]->setHeight(1000);
  eq().LOADEQ();
  EXPECT_EQ(top(4), (1000 - eq().SLPIC[4]->Height()) / 2);
  EXPECT_EQ(level(4), 10);
  EXPECT_EQ(gain(4), 1.0f);
}

TEST_F(Equaliser, TheThumbsPlaceGivesTheLevelToTheNearestEvenStep) {
  const float travel = eq().travel(5);
  drag(5, -0.25f * travel);  // from the middle to a quarter
  EXPECT_EQ(top(5), 0.25f * travel);
  EXPECT_EQ(level(5), 5);
  EXPECT_FLOAT_EQ(gain(5), 1.5f);
  EXPECT_EQ(centre(5), 500.0f);
  drag(12, 0.125f * travel);  // 0.625 of the way: 12.5 goes to 12
  EXPECT_EQ(top(12), 0.625f * travel);
  EXPECT_EQ(level(12), 12);
  EXPECT_FLOAT_EQ(gain(12), 0.8f);
  EXPECT_EQ(eq().state().bands[12].level, 12);
}

TEST_F(Equaliser, DraggingStopsAtTheEndsOfTheTrack) {
  const float travel = eq().travel(0);
  drag(0, -99999);
  EXPECT_EQ(top(0), 0.0f);
  EXPECT_EQ(level(0), 0);
  EXPECT_FLOAT_EQ(gain(0), 2.0f);
  drag(0, 99999);
  EXPECT_EQ(top(0), travel);
  EXPECT_EQ(level(0), 20);
  // Another button moves nothing, but a move over the thumb sends the band again.
  drag(0, -300, ui::RightButton);
  EXPECT_EQ(top(0), travel);
  program->engine().System.setDspParameter(program->engine().EqUnits[0], 2, 1.0f);
  eq().SLPIC_MouseMove(0, 0, 0, 0, 50);
  EXPECT_EQ(gain(0), sound::ParametricEq::kMinGain);
}

TEST_F(Equaliser, TheLowestLevelButtonAndTheResetButtons) {
  eq().EQDOWN[3]->click();
  EXPECT_EQ(top(3), eq().travel(3));
  EXPECT_EQ(level(3), 20);
  EXPECT_EQ(centre(3), 125.0f);
  // Gain 0 asked; the unit holds the deepest cut it takes.
  EXPECT_EQ(gain(3), sound::ParametricEq::kMinGain);

  for (int b = 0; b < kBands; ++b) eq().EQDOWN_Click(b);
  eq().cmdreseq[1]->click();
  for (int b = 0; b < kBands; ++b) {
    EXPECT_EQ(top(b), eq().travel(b) / 2) << b;
    EXPECT_EQ(level(b), 10) << b;
    EXPECT_EQ(gain(b), 1.0f) << b;
  }
  eq().EQDOWN_Click(7);
  eq().cmdreseq[0]->click();
  EXPECT_EQ(gain(7), 1.0f);
}

TEST_F(Equaliser, ThePlacesComeBackAtTheNextStart) {
  const float travel = eq().travel(0);
  drag(1, -99999);
  eq().EQDOWN_Click(2);
  drag(6, -0.3f * travel);
  const float six = top(6);
  main->BTend_Click();
  QSettings ini(program->settings().path(), QSettings::IniFormat);
  EXPECT_EQ(ini.value("TORNAVEL.CONFIGEQ/0").toString(), QString::number(travel / 2));
  EXPECT_EQ(ini.value("TORNAVEL.CONFIGEQ/1").toString(), "0");

  restart();
  EXPECT_EQ(top(0), travel / 2);
  EXPECT_EQ(top(1), 0.0f);
  EXPECT_EQ(gain(1), 2.0f);
  EXPECT_EQ(top(2), travel);
  EXPECT_EQ(level(2), 20);
  EXPECT_FLOAT_EQ(top(6), six);  // seven digits kept
}

TEST_F(Equaliser, StoredPlacesThatAreNoNumberOrOffTheTrack) {
  main->BTend_Click();  // its own save comes first
  store(0, "not a number");
  store(1, "12.5 twips");
  store(2, "99999");
  store(3, "-40");
  store(4, "");
  restart();
  EXPECT_EQ(top(0), 0.0f);  // no number: the top, level 0
  EXPECT_EQ(level(0), 0);
  EXPECT_FLOAT_EQ(gain(0), 2.0f);
  EXPECT_EQ(top(1), 12.5f);
  EXPECT_EQ(top(2), eq().travel(2));  // kept on the track
  EXPECT_EQ(level(2), 20);
  EXPECT_EQ(top(3), 0.0f);
  EXPECT_EQ(top(4), 0.0f);
}

TEST_F(Equaliser, AThumbAsTallAsItsTrackLeavesTheBandFlat) {
  eq().SLPIC[9]->setHeight(eq().BACKEQSL[9]->Height());
  eq().SLPIC_MouseMove(9, 0, 0, 0, 0);
  EXPECT_EQ(top(9), 0.0f);
  EXPECT_EQ(level(9), 10);
  EXPECT_EQ(gain(9), 1.0f);
  eq().cmdreseq_Click(0);
  eq().EQDOWN_Click(9);
  EXPECT_EQ(level(9), 10);
}

}  // namespace
