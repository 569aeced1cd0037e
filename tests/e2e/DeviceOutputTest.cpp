// The whole player on SDL's file-writing driver: what the two decks play really reaches
// the sound device, mixed, in real time.
#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>

#include "app/MainX.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "media/AudioFixtures.h"

namespace {

TEST(DeviceOutput, TwoDecksPlayAtOnceThroughTheSoundDevice) {
  fixtures::TempDir dir;
  const std::string capture = dir.file("device.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
  ASSERT_TRUE(fixtures::writeEncoded(dir.file("a.mp3"), {{440, 4.0}}));
  ASSERT_TRUE(fixtures::writeEncoded(dir.file("b.wma"), {{880, 4.0}}));

  int ends = 0;
  {
    app::Program program({sound::Output::Device,
                          [&] { ++ends; },
                          platform::AppPaths::under(QString::fromStdString(dir.path())),
                          {}});
    program.Main();
    ASSERT_EQ(program.engine().System.output(), sound::Output::Device);
    program.startup().fistLoad_Timer();
    program.startup().tomain_Timer();
    app::MainX& main = *program.mainX();
    audio::DeckEngine& decks = main.decks().engine();
    ASSERT_EQ(decks.OpenDeckTrack(QByteArray::fromStdString(dir.file("a.mp3")), 0, true),
              audio::DeckActions::Open::Opened);
    ASSERT_EQ(decks.OpenDeckTrack(QByteArray::fromStdString(dir.file("b.wma")), 1, true),
              audio::DeckActions::Open::Opened);
    QTest::qWait(1500);
    std::uint32_t ms = 0;
    program.engine().System.channelPositionMs(program.decks()[0].Channel, ms);
    EXPECT_GT(ms, 500u);  // real time, with room for a loaded machine
    EXPECT_LT(ms, 1700u);
    main.BTend_Click();
    EXPECT_EQ(ends, 1);
  }
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");

  const std::vector<float> all = fixtures::readCapture(capture);
  ASSERT_GT(all.size(), std::size_t(44100 * 2));
  // The last half second before the exit holds both tones at full level.
  // The centred pitch knobs play both a hair above their own speed.
  const double f = 2.0 * (1.0 - 502.5 / 1006.0);
  const std::vector<float> tail(all.end() - 44100, all.end());
  EXPECT_NEAR(fixtures::magnitudeAt(tail, 44100, 440 * f), 0.5, 0.05);
  EXPECT_NEAR(fixtures::magnitudeAt(tail, 44100, 880 * f), 0.5, 0.05);
}

}  // namespace
