#include <QTest>
#include <cmath>

#include "support/PlayerFixture.h"

namespace {

// Tones that fit whole cycles into 10 ms, so a short block measures each apart.
constexpr double kToneA = 400, kToneB = 600, kToneC = 800, kToneD = 1000;
// A tone's full level, and what another tone leaks into its measure over a short block.
// Two tones at full level sum below the master limiter's knee, so what is measured is the
// decks' own levels.
constexpr double kFull = 0.4, kSilent = 0.01;

class AutoMixTest : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
    view = &main->playlist().view();
    mix = &main->playlist().autoMix();
    list = &main->playlist().list();
  }
  // An entry playing a tone of `hz` for `seconds` (8 kHz keeps long files small).
  void add(const std::string& name, double hz, double seconds) {
    fixtures::writeWav(dir.file(name), {{hz, seconds}}, 8000, 2, kFull);
    addPath(name);
  }
  void addPath(const std::string& name) {
    QByteArray p = QByteArray::fromStdString(dir.file(name));
    list->SendTOlst(p, playlist::Playlist::kAppend);
  }
  // Runs the window for `ms` milliseconds as its event loop would: sound is rendered a
  // millisecond at a time, the 100 ms position tick and the fade step run when due, and so
  // does the auto-mix check when `checks` is on (tests that watch a position call it).
  std::vector<float> run(int ms) {
    std::vector<float> out;
    ui::Timer* timers[] = {main->decks().MTimer, view->tmrmx, view->AutoLST};
    for (int i = 0; i < ms; ++i) {
      ++m_now;
      const auto upTo = std::size_t(m_now * 441 / 10);
      std::vector<float> block((upTo - m_rendered) * 2);
      program->engine().System.render(block.data(), upTo - m_rendered);
      m_rendered = upTo;
      out.insert(out.end(), block.begin(), block.end());
      for (std::size_t t = 0; t < 3; ++t) {
        Due& s = m_due[t];
        if (!timers[t]->Enabled() || (t == 2 && !checks)) {
          s.at = -1;
        } else if (s.at < 0 || s.interval != timers[t]->Interval()) {
          s.interval = timers[t]->Interval();
          s.at = m_now + s.interval;
        } else if (m_now >= s.at) {
          s.at += s.interval;
          if (t == 1) ++fadeTicks;
          timers[t]->tick();
        }
      }
    }
    return out;
  }
  // The amplitude of a tone in what was heard, at the centred pitch knob's speed.
  double level(const std::vector<float>& out, double hz) {
    return fixtures::magnitudeAt(out, 44100, hz * main->decks().engine().PitchFactor(0));
  }
  // Moves the selected deck close to its end and lets the position tick see it, then runs
  // the check: a mix starts when there is an entry to start.
  void mixNow() {
    const int k = main->decks().engine().SelectedDeck();
    program->engine().System.setChannelPositionMs(deck(k).Channel,
                                                  std::uint32_t(deck(k).LengthMs - 300));
    run(120);
    mix->AutoLST_Timer();
  }
  // Runs until the fade has ended; returns the fade steps that ran.
  int fadeToEnd(std::vector<float>* heard = nullptr) {
    fadeTicks = 0;
    for (int i = 0; i < 400 && view->tmrmx->Enabled(); ++i) {
      auto out = run(50);
      if (heard) heard->insert(heard->end(), out.begin(), out.end());
    }
    return fadeTicks;
  }
  float knobTop(int k) { return main->deck(k).XVolBT->Top(); }
  float travel(int k) { return main->decks().engine().VolumeTravel(k); }

  struct Due {
    long at = -1;
    int interval = 0;
  };
  Due m_due[3];
  long m_now = 0;
  std::size_t m_rendered = 0;
  bool checks = false;
  int fadeTicks = 0;
  playlist::PlaylistView* view = nullptr;
  playlist::AutoMix* mix = nullptr;
  playlist::Playlist* list = nullptr;
};

TEST_F(AutoMixTest, AutoPlaySwitchesTheCheckAndTheSlidersSetMixPointAndSpeed) {
  main->form().Show();
  EXPECT_FALSE(view->AutoLST->Enabled());
  EXPECT_EQ(view->AutoLST->Interval(), 1000);
  QTest::mouseClick(view->AutoL->widget(), Qt::LeftButton);
  EXPECT_EQ(view->AutoL->Value(), 1);
  EXPECT_TRUE(view->AutoLST->Enabled());
  QTest::mouseClick(view->AutoL->widget(), Qt::LeftButton);
  EXPECT_FALSE(view->AutoLST->Enabled());

  // Both marks sit at 95 % of their bars' travel, past the position knob's width.
  for (int k = 0; k < 2; ++k) {
    const float bar = main->deck(k).SLPos->Width(), knob = main->deck(k).PosBT->Width();
    EXPECT_FLOAT_EQ(mix->LinetoMX[std::size_t(k)]->Left(), (bar - knob) * 0.95f + knob);
    EXPECT_EQ(mix->LinetoMX[std::size_t(k)]->Width(), 62.5f);
    EXPECT_EQ(mix->LinetoMX[std::size_t(k)]->widget()->parentWidget(),
              main->deck(k).SLPos->container());
  }
  app::OptionsPanel& o = main->options();
  o.slDur->setValue(65);
  EXPECT_EQ(mix->MixPointPercent, 65);
  const float bar = main->deck(1).SLPos->Width(), knob = main->deck(1).PosBT->Width();
  EXPECT_FLOAT_EQ(mix->LinetoMX[1]->Left(), (bar - knob) * 0.65f + knob);

  // Half the speed slider, halves to the even millisecond; the marks widen with it.
  EXPECT_EQ(mix->FadeStepInterval, 50);  // never moved: the slider's value itself
  for (auto [speed, ms] : {std::pair{51, 26}, {53, 26}, {60, 30}, {100, 50}, {50, 25}}) {
    o.slVel->setValue(speed);
    EXPECT_EQ(mix->FadeStepInterval, ms) << speed;
    EXPECT_FLOAT_EQ(mix->LinetoMX[0]->Width(), float(speed) * 1.25f);
  }
  // Restoring the defaults moves the sliders as a user would.
  o.slVel->setValue(70);
  o.cmdrest->click();
  EXPECT_EQ(o.slDur->Value(), 95);
  EXPECT_EQ(o.slVel->Value(), 50);
  EXPECT_EQ(mix->MixPointPercent, 95);
  EXPECT_EQ(mix->FadeStepInterval, 25);
  EXPECT_FLOAT_EQ(mix->LinetoMX[0]->Left(), (bar - knob) * 0.95f + knob);
}

TEST_F(AutoMixTest, ATrackOf200SecondsMixesAtAbout190AndFadesOutAlongItsKnob) {
  add("long.wav", kToneA, 200);
  add("next.wav", kToneB, 30);
  main->options().slVel->setValue(60);  // 30 ms steps keep the fade inside the last 10 s

  // Nothing loaded: the first check starts entry 1 on the deck not selected, at once.
  mix->AutoLST_Timer();
  EXPECT_EQ(list->current(), 1);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  EXPECT_TRUE(deck(1).Playing);
  EXPECT_TRUE(view->PLAYNX->Visible());
  fadeToEnd();  // the deck that held nothing "fades" silently

  program->engine().System.setChannelPositionMs(deck(1).Channel, 189000);
  const double full = level(run(100), kToneA);
  EXPECT_NEAR(full, kFull, 0.02);
  std::int32_t at = 0;
  for (int i = 0; i < 20 && list->current() == 1; ++i) {
    run(100);
    at = deck(1).PositionMs;
    mix->AutoLST_Timer();
  }
  ASSERT_EQ(list->current(), 2);
  EXPECT_GT(at, 190000);
  EXPECT_LE(at, 190300);
  EXPECT_TRUE(main->deck(0).chksel->Value());
  // Deck A's label read "VOL 0.0" after the first, silent fade; now it plays at full.
  EXPECT_TRUE(main->deck(0).ETQPICTH->Caption().endsWith("VOL 1.0"));
  EXPECT_EQ(view->tmrmx->Interval(), 30);
  EXPECT_TRUE(view->tmrmx->Enabled());

  // The incoming deck is at full level from its first block; the old one fades linearly.
  std::vector<float> fade;
  const int steps = fadeToEnd(&fade);
  const std::size_t block = 441 * 2;
  const std::vector<float> first(fade.begin(), fade.begin() + block);
  EXPECT_NEAR(level(first, kToneB), full, 0.03);
  EXPECT_NEAR(level(first, kToneA), full, 0.03);
  EXPECT_EQ(steps, int(std::ceil(travel(1) / 10)) + 1);
  EXPECT_EQ(steps, 226);  // this window's knob travels 2250 twips
  for (double part : {0.25, 0.5, 0.75}) {
    const auto at = std::size_t(double(steps) * 30 * part * 44.1) * 2;
    const std::vector<float> piece(fade.begin() + std::ptrdiff_t(at),
                                   fade.begin() + std::ptrdiff_t(at + block));
    EXPECT_NEAR(level(piece, kToneA) / full, 1 - part, 0.03) << part;
    EXPECT_NEAR(level(piece, kToneB), full, 0.03) << part;
  }
  // At the end the old deck is stopped and silent, its knob back at the top.
  const auto after = run(200);
  EXPECT_LT(level(after, kToneA), kSilent);
  EXPECT_NEAR(level(after, kToneB), full, 0.03);
  EXPECT_FALSE(deck(1).Playing);
  EXPECT_EQ(knobTop(1), 0.0f);
  EXPECT_EQ(knobTop(0), 0.0f);
}

// At the default speed this window's fade (226 steps of 50 ms, 11.3 s) outlasts the last
// 8 s or 3 s of a 60 s track: the steps come faster, the knob takes the same path, and the
// old track is silent before its end, also when its pitch knob plays it faster.
TEST_F(AutoMixTest, AFadeEndsBeforeTheTrackItFadesDoes) {
  add("a.wav", kToneA, 60);
  add("c.wav", kToneC, 60);
  add("d.wav", kToneD, 60);
  main->options().slDur->setValue(80);
  mix->AutoLST_Timer();
  fadeToEnd();
  for (bool faster : {false, true}) {
    const int k = main->decks().engine().SelectedDeck();
    if (faster) main->decks().pitch().XPicthBt_Step(k, 20);
    const double speed = main->decks().engine().PitchFactor(k);
    ASSERT_GT(speed, faster ? 1.05 : 0.99);
    auto& sys = program->engine().System;
    sys.setChannelPositionMs(deck(k).Channel, faster ? 57000 : 52000);
    run(120);
    std::uint32_t at = 0;
    ASSERT_EQ(sys.channelPositionMs(deck(k).Channel, at), sound::Result::Ok);
    mix->AutoLST_Timer();
    ASSERT_TRUE(view->tmrmx->Enabled());
    const int interval = view->tmrmx->Interval();
    const double msLeft = (60000 - at) / speed;
    EXPECT_LE(226 * interval, msLeft - 200) << faster;
    EXPECT_GE(226 * (interval + 1), msLeft - 350) << faster;  // no faster than it must

    std::vector<float> heard;
    EXPECT_EQ(fadeToEnd(&heard), 226) << faster;
    const double tone = (faster ? kToneC : kToneA) * speed;
    EXPECT_FALSE(deck(k).Playing);
    // Half way through the fade the old track is at half its level; the fade ended while
    // the track had time left.
    const std::size_t mid = heard.size() / 2 - 4410;
    const std::vector<float> half(heard.begin() + std::ptrdiff_t(mid),
                                  heard.begin() + std::ptrdiff_t(mid + 8820));
    EXPECT_NEAR(fixtures::magnitudeAt(half, 44100, tone) / kFull, 0.5, 0.05) << faster;
    EXPECT_LT(double(heard.size()) / 2 / 44.1, msLeft - 150) << faster;
    EXPECT_EQ(knobTop(k), 0.0f);
  }
}

TEST_F(AutoMixTest, TheLastEntryPlaysOnUnlessTheListRepeats) {
  // An empty list that repeats has nothing to start.
  view->chkR->setValue(1);
  mix->AutoLST_Timer();
  EXPECT_EQ(list->current(), 0);
  EXPECT_FALSE(deck(1).Playing);
  view->chkR->setValue(0);

  add("a.wav", kToneA, 20);
  add("b.wav", kToneB, 20);
  mix->AutoLST_Timer();
  EXPECT_EQ(view->tmrmx->Interval(), 50);  // the speed slider never moved
  fadeToEnd();
  main->options().slVel->setValue(100);
  mixNow();
  ASSERT_EQ(list->current(), 2);
  fadeToEnd();
  const auto b = run(100);
  // Past the mark on the last entry: nothing more starts.
  mixNow();
  EXPECT_EQ(list->current(), 2);
  EXPECT_FALSE(view->tmrmx->Enabled());
  EXPECT_TRUE(main->deck(0).chksel->Value());
  auto out = run(100);
  EXPECT_LT(level(out, kToneA), kSilent);
  EXPECT_NEAR(level(out, kToneB), level(b, kToneB), 0.03);

  // Repeating: entry 1 starts on the other deck when the next check comes.
  view->chkR->setValue(1);
  mix->AutoLST_Timer();
  EXPECT_EQ(list->current(), 1);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  out = run(100);
  EXPECT_NEAR(level(out, kToneA), kFull, 0.03);

  // An index left beyond a shortened list is the end of the list too.
  list->setCurrent(7);
  view->chkR->setValue(0);
  mixNow();
  EXPECT_EQ(list->current(), 7);
  view->chkR->setValue(1);
  mix->AutoLST_Timer();
  EXPECT_EQ(list->current(), 1);
}

TEST_F(AutoMixTest, AKnobAlreadyDownEndsTheFadeAtTheFirstStep) {
  add("a.wav", kToneA, 20);
  add("b.wav", kToneB, 20);
  mix->AutoLST_Timer();
  fadeToEnd();
  main->decks().engine().SetVolumeKnob(1, travel(1));      // the user turned deck B down
  main->decks().engine().SetVolumeKnob(0, travel(0) / 2);  // and deck A, which takes b.wav
  mixNow();
  ASSERT_EQ(list->current(), 2);
  fadeTicks = 0;
  EXPECT_NEAR(level(run(10), kToneB), kFull, 0.03);  // at full level from its first block
  EXPECT_EQ(knobTop(0), 0.0f);
  const int early = fadeTicks;
  EXPECT_EQ(early + fadeToEnd(), 1);
  EXPECT_FALSE(deck(1).Playing);
  EXPECT_EQ(knobTop(1), 0.0f);
  const auto after = run(100);
  EXPECT_LT(level(after, kToneA), kSilent);
  EXPECT_NEAR(level(after, kToneB), kFull, 0.03);
}

TEST_F(AutoMixTest, AutoPlaySwitchedOffMidFadeLeavesBothDecksWhereTheyAre) {
  add("a.wav", kToneA, 20);
  add("b.wav", kToneB, 20);
  add("c.wav", kToneC, 20);
  main->form().Show();
  QTest::mouseClick(view->AutoL->widget(), Qt::LeftButton);
  mix->AutoLST_Timer();
  fadeToEnd();
  mixNow();
  run(2000);
  const float top = knobTop(1);
  ASSERT_GT(top, 0.2f * travel(1));
  QTest::mouseClick(view->AutoL->widget(), Qt::LeftButton);
  ASSERT_EQ(view->AutoL->Value(), 0);
  const auto out = run(1000);
  EXPECT_EQ(knobTop(1), top);
  EXPECT_TRUE(deck(1).Playing);
  EXPECT_NEAR(level(out, kToneA), kFull * (1 - top / travel(1)), 0.03);
  EXPECT_NEAR(level(out, kToneB), kFull, 0.03);

  // On again: the next mix starts after the entry that plays, and fades out its deck.
  QTest::mouseClick(view->AutoL->widget(), Qt::LeftButton);
  EXPECT_TRUE(view->AutoLST->Enabled());
  EXPECT_EQ(list->current(), 2);
  mixNow();
  EXPECT_EQ(list->current(), 3);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  EXPECT_EQ(fadeToEnd(), 226);
  EXPECT_FALSE(deck(0).Playing);
}

// Equal power: in the linear fade's number of steps, the old deck's knob goes down a cosine
// while the new one comes up a sine, so the two together stay as loud as one. The choice is
// kept in the settings.
TEST_F(AutoMixTest, AnEqualPowerFadeKeepsTheLoudnessThroughTheOverlap) {
  add("a.wav", kToneA, 60);
  add("b.wav", kToneB, 60);
  add("c.wav", kToneC, 60);
  main->options().optCurve[1]->radio()->click();
  main->options().slDur->setValue(65);
  mix->AutoLST_Timer();
  EXPECT_EQ(knobTop(1), 0.0f);  // the first track, after nothing, starts at full level
  fadeToEnd();
  program->engine().System.setChannelPositionMs(deck(1).Channel, 45000);
  run(120);
  mix->AutoLST_Timer();
  ASSERT_EQ(list->current(), 2);
  EXPECT_EQ(view->tmrmx->Interval(), 50);
  std::vector<float> heard;
  EXPECT_EQ(fadeToEnd(&heard), 226);
  const std::size_t block = 441 * 2;
  for (double part : {0.1, 0.3, 0.5, 0.7, 0.9}) {
    const auto at = std::size_t(226 * 50 * 44.1 * part) * 2;
    const std::vector<float> piece(heard.begin() + std::ptrdiff_t(at),
                                   heard.begin() + std::ptrdiff_t(at + block));
    const double out = level(piece, kToneA) / kFull, in = level(piece, kToneB) / kFull;
    EXPECT_NEAR(out, std::cos(part * M_PI / 2), 0.04) << part;
    EXPECT_NEAR(out * out + in * in, 1.0, 0.1) << part;
  }
  EXPECT_FALSE(deck(1).Playing);
  EXPECT_EQ(knobTop(0), 0.0f);
  EXPECT_EQ(knobTop(1), 0.0f);
  // A knob the user takes during the fade stays where the user left it.
  program->engine().System.setChannelPositionMs(deck(0).Channel, 45000);
  run(120);
  mix->AutoLST_Timer();
  ASSERT_EQ(list->current(), 3);
  run(1000);
  main->decks().engine().SetVolumeKnob(1, travel(1) / 2);
  run(1000);
  EXPECT_EQ(knobTop(1), travel(1) / 2);
  EXPECT_EQ(platform::SettingsStore(
                platform::AppPaths::under(QString::fromStdString(dir.path())).settingsFile)
                .GetSetting("TORNAVEL", "AUTOMIX", "CURVE", ""),
            "1");
}

// Skip silence: the mix point is a share of the audible part, the fade ends before the
// audible end, and the new track is heard from its first sound. Level tracks: both come out
// at the target, a track already near full scale is not lifted, and off plays them as
// they are.
TEST_F(AutoMixTest, SilenceIsSkippedAndTracksAreLevelled) {
  auto write = [&](const char* name, std::vector<fixtures::Segment> parts, double amplitude,
                   library::TrackFacts facts) {
    fixtures::writeWav(dir.file(name), parts, 8000, 2, amplitude);
    main->trackFacts().set(dir.file(name), facts);
    addPath(name);
  };
  write("a.wav", {{kToneA, 40}, {0, 20}}, 0.4, {"", "", "", 60000, 0, -10, -8, 0, 40000});
  write("b.wav", {{0, 0.3}, {kToneB, 59.7}}, 0.063, {"", "", "", 60000, 0, -26, -24, 300, 60000});
  const double levelled = 0.4 * std::pow(10, -8 / 20.0);
  mix->AutoLST_Timer();
  fadeToEnd();
  auto& sys = program->engine().System;
  EXPECT_NEAR(level(run(300), kToneA), levelled, 0.1 * levelled);
  for (std::uint32_t at : {37000u, 38200u}) {
    sys.setChannelPositionMs(deck(1).Channel, at);
    run(120);
    mix->AutoLST_Timer();
    EXPECT_EQ(list->current(), at < 38000 ? 1 : 2) << at;
  }
  EXPECT_NEAR(main->decks().engine().TrackOf(0).positionMs, 300, 20);  // its first sound
  EXPECT_LE(226 * view->tmrmx->Interval(), 40000 - 38320 - 200);
  fadeToEnd();
  EXPECT_NEAR(level(run(300), kToneB), levelled, 0.1 * levelled);

  using T = library::TrackFactsTable;
  EXPECT_FLOAT_EQ(T::levellingGain(-18, -26, -0.5), 1.0f);
  EXPECT_FLOAT_EQ(T::levellingGain(-18, -26, -5), std::pow(10.0f, 4 / 20.0f));
  EXPECT_FLOAT_EQ(T::levellingGain(-18, NAN, -5), 1.0f);
  main->options().chkLevel->setValue(0);
  EXPECT_FALSE(main->options().chkLevel->Value());
  EXPECT_FLOAT_EQ(main->decks().engine().trackGain(list->path(1)), 1.0f);
}

TEST_F(AutoMixTest, AnEntryThatCannotBePlayedIsSkippedAtTheNextCheck) {
  add("a.wav", kToneA, 20);
  addPath("gone.wav");
  add("c.wav", kToneC, 20);
  fixtures::writeRandom(dir.file("damaged.wav"), 5000);  // there, but it does not decode
  addPath("damaged.wav");
  add("e.wav", kToneD, 20);
  mix->AutoLST_Timer();
  fadeToEnd();
  const double full = level(run(100), kToneA);

  // Deck A has never held a track: it stays empty and deck B plays on, selected and full.
  mixNow();
  EXPECT_EQ(list->current(), 2);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  EXPECT_FALSE(deck(0).Playing);
  EXPECT_FALSE(view->tmrmx->Enabled());
  EXPECT_NEAR(level(run(100), kToneA), full, 0.03);
  mix->AutoLST_Timer();
  EXPECT_EQ(list->current(), 3);
  EXPECT_TRUE(main->deck(0).chksel->Value());
  EXPECT_NEAR(level(run(50), kToneC), full, 0.03);
  fadeToEnd();

  // Deck B still holds the first track: that one must not start again in its place.
  mixNow();
  EXPECT_EQ(list->current(), 4);
  EXPECT_TRUE(main->deck(0).chksel->Value());
  auto out = run(100);
  EXPECT_LT(level(out, kToneA), kSilent);
  EXPECT_NEAR(level(out, kToneC), full, 0.03);
  mix->AutoLST_Timer();
  EXPECT_EQ(list->current(), 5);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  out = run(50);
  EXPECT_NEAR(level(out, kToneD), full, 0.03);
  EXPECT_LT(level(out, kToneA), kSilent);
}

// Either fade curve: what next or previous starts plays at full level while the fade goes on.
class AutoMixCurves : public AutoMixTest, public ::testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(Curves, AutoMixCurves, ::testing::Values(0, 1));

TEST_P(AutoMixCurves, NextAndPreviousDuringAFadeLeaveTheTrackTheyStartAtFullLevel) {
  main->options().optCurve[std::size_t(GetParam())]->radio()->click();
  for (auto [name, hz] : {std::pair{"a.wav", kToneA}, {"b.wav", kToneB}, {"c.wav", kToneC}})
    add(name, hz, 30);
  mix->AutoLST_Timer();
  fadeToEnd();
  const double full = level(run(100), kToneA);
  mixNow();  // b on deck A, a fading on deck B
  ASSERT_EQ(list->current(), 2);
  run(2000);
  ASSERT_GT(knobTop(1), 0.0f);

  // Next cuts from b to c on deck B; the fade goes on with deck A, which next stopped.
  view->cmdnext->click();
  EXPECT_EQ(list->current(), 3);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  EXPECT_EQ(knobTop(1), 0.0f);
  std::vector<float> heard;
  fadeToEnd(&heard);
  const std::size_t half = heard.size() / 2;
  for (std::size_t from : {std::size_t(0), half, heard.size() - 4410}) {
    const std::vector<float> piece(heard.begin() + std::ptrdiff_t(from),
                                   heard.begin() + std::ptrdiff_t(from + 4410));
    EXPECT_NEAR(level(piece, kToneC), full, 0.03);
    EXPECT_LT(level(piece, kToneB), kSilent);
  }
  EXPECT_FALSE(deck(0).Playing);
  EXPECT_EQ(knobTop(0), 0.0f);
  EXPECT_EQ(knobTop(1), 0.0f);
  EXPECT_TRUE(deck(1).Playing);

  // Previous in the middle of the next fade: b again, on deck A, at full level.
  list->setCurrent(2);
  mixNow();  // entry 3 once more, now on deck A, while deck B fades
  ASSERT_EQ(list->current(), 3);
  run(1000);
  view->cmdbk->click();
  EXPECT_EQ(list->current(), 2);
  heard.clear();
  EXPECT_GT(fadeToEnd(&heard), 1);
  for (std::size_t from : {std::size_t(0), heard.size() / 2}) {
    const std::vector<float> piece(heard.begin() + std::ptrdiff_t(from),
                                   heard.begin() + std::ptrdiff_t(from + 4410));
    EXPECT_NEAR(level(piece, kToneB), full, 0.03) << from;
  }
  const std::vector<float> tail(heard.end() - 4410, heard.end());
  EXPECT_NEAR(level(tail, kToneB), full, 0.03);
  EXPECT_LT(level(tail, kToneC), kSilent);
}

// The largest distance from an onset of `a` to the nearest of `b`, between `from` and `to` ms.
double worstApart(const std::vector<double>& a, const std::vector<double>& b, double from,
                  double to) {
  double worst = 0;
  for (double t : a) {
    if (t < from || t > to) continue;
    double best = 1e9;
    for (double u : b) best = std::min(best, std::abs(u - t));
    worst = std::max(worst, best);
  }
  return worst;
}

// Match beats: a 123 BPM track comes in at the tempo the 120 BPM one is heard at, its first beat on
// a beat, and stays on the beat through the fade; knocked off by 25 ms, it is bent back within two
// seconds. It keeps its pitch, which its knob shows. A 150 BPM track is not matched.
TEST_F(AutoMixTest, BeatsAreMatchedThroughTheOverlap) {
  EXPECT_EQ(main->options().chkBeatMix->Value(), 0);
  main->options().chkBeatMix->setValue(1);
  struct Track {
    const char* name;
    double bpm, firstMs, hz;
  };
  for (const Track& t :
       {Track{"a.wav", 120, 250, 1500}, {"b.wav", 123, 300, 4000}, {"c.wav", 150, 0, 1500}}) {
    fixtures::writeWavSamples(
        dir.file(t.name), fixtures::clickTrack(t.bpm, t.firstMs / 1000, t.hz, 40, 22050), 22050);
    library::TrackFacts f;
    f.durationMs = 40000, f.audibleStartMs = 0, f.audibleEndMs = 40000;
    f.bpm = t.bpm, f.firstBeatMs = int(t.firstMs);
    main->trackFacts().set(dir.file(t.name), f);
    addPath(t.name);
  }
  main->options().slDur->setValue(65);  // the mix at 26 s leaves the fade its 11.3 s
  mix->AutoLST_Timer();
  fadeToEnd();
  auto& engine = main->decks().engine();
  // Deck B is two steps down: 120 BPM plays at about 117.7.
  for (int i = 0; i < 2; ++i) main->decks().pitch().BTPICTHDW_Click(1);
  const double outgoing = engine.PitchFactor(1);
  program->engine().System.setChannelPositionMs(deck(1).Channel, 26100);
  run(120);
  mix->AutoLST_Timer();
  ASSERT_EQ(list->current(), 2);
  EXPECT_NEAR(engine.PitchFactor(0), 120 * engine.PitchFactor(1) / 123, 1e-6);
  EXPECT_EQ(main->deck(0).ETQPICTH->Caption(), "PITCH -0.2 VOL 1.0");

  std::vector<float> heard = run(2000);
  const std::int64_t at = engine.TrackOf(0).positionMs;
  program->engine().System.setChannelPositionMs(deck(0).Channel, std::uint32_t(at + 25));
  fadeToEnd(&heard);
  const double speed = engine.PitchFactor(1);
  std::vector<double> a = fixtures::burstOnsets(heard, 1500 * speed),
                      b = fixtures::burstOnsets(heard, 4000 * engine.PitchFactor(0));
  for (auto* v : {&a, &b})
    for (double& t : *v) t *= 1000;
  ASSERT_GT(a.size(), 20u);
  ASSERT_GT(b.size(), 20u);
  // Deck A's first beat comes within a beat, on one of deck B's.
  const double first = b.front();
  EXPECT_LT(first, 520);
  const double before = worstApart(a, b, first - 5, 1990), after = worstApart(a, b, 3500, 11000);
  EXPECT_LE(worstApart(b, a, 0, first + 5), 3);
  EXPECT_LE(before, 3);
  EXPECT_GE(worstApart(a, b, 2000, 2600), 5);  // knocked off, on its way back
  EXPECT_LE(after, 3);
  std::printf("beat mix: apart by %.1f ms at most before the knock, %.1f ms after\n", before,
              after);
  // The fade is over: deck A keeps the pitch it came in at, as its knob shows.
  EXPECT_FALSE(deck(1).Playing);
  EXPECT_NEAR(engine.PitchFactor(0), 120 * speed / 123, 1e-6);
  EXPECT_EQ(main->deck(0).ETQPICTH->Caption(), "PITCH -0.2 VOL 1.0");

  // 150 against 120 as heard: deck B plays c at its knob's speed, as without the option.
  program->engine().System.setChannelPositionMs(deck(0).Channel, 27000);
  run(120);
  mix->AutoLST_Timer();
  ASSERT_EQ(list->current(), 3);
  EXPECT_EQ(engine.PitchFactor(1), outgoing);
  EXPECT_EQ(platform::SettingsStore(
                platform::AppPaths::under(QString::fromStdString(dir.path())).settingsFile)
                .GetSetting("TORNAVEL", "AUTOMIX", "BEATMIX", ""),
            "1");
}

}  // namespace
