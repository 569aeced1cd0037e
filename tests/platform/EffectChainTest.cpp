// The global effect chain through the public calls: what the equaliser's ON/OFF box and the
// chorus switch will do, heard at the output.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "media/AudioFixtures.h"
#include "platform/sound/SoundSystem.h"

using namespace sound;

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 441;  // 10 ms: the panels change things between such blocks

class SoundSystemEffects : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new fixtures::TempDir;
    fixtures::writeWav(dir->file("low.wav"), {{330, 6.0}}, kRate, 2, 0.25);
    fixtures::writeWav(dir->file("full.wav"), {{440, 3.0}}, kRate, 2, 1.0);
  }
  static void TearDownTestSuite() { delete dir; }

  static void start(SoundSystem& s, const char* name) {
    ASSERT_EQ(s.init(3, Output::Manual), Result::Ok);
    Handle sound = 0, channel = 0;
    ASSERT_EQ(s.createStream(dir->file(name), sound), Result::Ok);
    ASSERT_EQ(s.playSound(sound, false, channel), Result::Ok);
  }
  static std::vector<float> block(SoundSystem& s, int frames = kBlock) {
    std::vector<float> out(std::size_t(frames) * 2);
    s.render(out.data(), std::size_t(frames));
    return out;
  }
  // The equaliser as the panel sets it up: 15 bands, twelve with centres, all chained.
  std::vector<Handle> equaliser(float gain) {
    const float centres[] = {31,   63,   80,   125,   250, 500, 1000, 2000,
                             4000, 6000, 8000, 16000, 0,   0,   0};
    std::vector<Handle> bands;
    for (float centre : centres) {
      Handle eq = 0;
      EXPECT_EQ(sys.createDsp(DspType::ParametricEq, eq), Result::Ok);
      sys.setDspParameter(eq, 0, centre);
      sys.setDspParameter(eq, 2, gain);
      EXPECT_EQ(sys.addDsp(eq), Result::Ok);
      bands.push_back(eq);
    }
    return bands;
  }

  static fixtures::TempDir* dir;
  SoundSystem sys, ref;  // ref plays the same file with no effects, block for block
};
fixtures::TempDir* SoundSystemEffects::dir = nullptr;

TEST_F(SoundSystemEffects, BypassingTheEqualiserSettlesOnTheDrySignalBitForBit) {
  start(sys, "low.wav");
  start(ref, "low.wav");
  const auto bands = equaliser(1.8f);
  block(sys);
  block(ref);
  EXPECT_NE(block(sys), block(ref));
  for (Handle eq : bands) ASSERT_EQ(sys.setDspBypass(eq, true), Result::Ok);
  bool bypassed = false, active = false;
  ASSERT_EQ(sys.dspBypass(bands[0], bypassed), Result::Ok);
  ASSERT_EQ(sys.dspActive(bands[0], active), Result::Ok);
  EXPECT_TRUE(bypassed);
  EXPECT_TRUE(active);  // still in the chain, only silent
  block(sys);           // the crossfade
  block(ref);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(block(sys), block(ref)) << "block " << i;
  for (Handle eq : bands) sys.setDspBypass(eq, false);
  block(sys);
  block(ref);
  EXPECT_NE(block(sys), block(ref));
  EXPECT_EQ(sys.setDspBypass(0xDEADBEEF, true), Result::InvalidHandle);
}

TEST_F(SoundSystemEffects, SwitchingEffectsInAndOutNeverClicks) {
  // The steepest step of the tone in its loudest steady setting (every band boosting, no
  // chorus, whose delayed copies partly cancel) is the yardstick; switching an effect hard
  // shows as a step several times that.
  start(sys, "low.wav");
  const auto bands = equaliser(2.0f);
  Handle chorus = 0;
  ASSERT_EQ(sys.createDsp(DspType::Chorus, chorus), Result::Ok);
  block(sys, kRate / 10);
  float last = 0, steady = 0;
  const auto held = block(sys, kRate / 2);
  for (std::size_t i = 2; i < held.size(); i += 2)
    steady = std::max(steady, std::fabs(held[i] - held[i - 2]));
  last = held[held.size() - 2];
  float jump = 0;
  for (int step = 0; step < 400; ++step) {
    switch (step % 4) {
      case 0:
        sys.addDsp(chorus);
        break;
      case 1:
        for (Handle eq : bands) sys.setDspBypass(eq, step % 8 == 1);
        break;
      case 2:
        sys.removeDsp(chorus);
        bool active;
        sys.dspActive(chorus, active);
        ASSERT_FALSE(active);  // at once, while it fades out
        break;
      default:
        sys.removeDsp(bands[std::size_t(step) % bands.size()]);
        sys.addDsp(bands[std::size_t(step) % bands.size()]);
    }
    const auto out = block(sys, kBlock / 4 + step % 200);
    for (std::size_t i = 0; i < out.size(); i += 2) {
      jump = std::max(jump, std::fabs(out[i] - last));
      last = out[i];
    }
  }
  EXPECT_GT(steady, 0.01f);
  EXPECT_LT(jump, steady * 1.2f);
}

// An effect switched back on starts from silence: what it held when it was switched off
// does not replay.
TEST_F(SoundSystemEffects, AnEffectSwitchedBackOnReplaysNothingOfBefore) {
  start(sys, "full.wav");
  Handle chorus = 0;
  ASSERT_EQ(sys.createDsp(DspType::Chorus, chorus), Result::Ok);
  ASSERT_EQ(sys.addDsp(chorus), Result::Ok);
  block(sys, kRate);
  ASSERT_EQ(sys.setDspBypass(chorus, true), Result::Ok);
  block(sys, kRate * 5 / 2);  // past the track's end: silence goes in
  ASSERT_LT(fixtures::rms(block(sys)), 1e-6);
  ASSERT_EQ(sys.setDspBypass(chorus, false), Result::Ok);
  EXPECT_LT(fixtures::rms(block(sys, kRate / 2)), 1e-6);
}

TEST_F(SoundSystemEffects, AFullScaleTrackThroughEveryEffectStaysWithinFullScale) {
  start(sys, "full.wav");
  equaliser(2.0f);
  Handle chorus = 0;
  ASSERT_EQ(sys.createDsp(DspType::Chorus, chorus), Result::Ok);
  sys.addDsp(chorus);
  float peak = 0;
  for (int i = 0; i < 100; ++i)
    for (float v : block(sys)) {
      ASSERT_TRUE(std::isfinite(v));
      peak = std::max(peak, std::fabs(v));
    }
  EXPECT_LE(peak, 1.0f);
  EXPECT_GT(peak, 0.95f);  // limited, not ducked
}

// The panels' calls made while the output thread mixes (this is what ThreadSanitizer is
// run on): every parameter, bypass and membership change crosses as an atomic or a message.
TEST_F(SoundSystemEffects, PanelsMayChangeEffectsWhileTheOutputThreadMixes) {
  ASSERT_EQ(sys.init(3, Output::Silent), Result::Ok);
  Handle sound = 0, channel = 0, chorus = 0;
  ASSERT_EQ(sys.createStream(dir->file("low.wav"), sound), Result::Ok);
  ASSERT_EQ(sys.playSound(sound, false, channel), Result::Ok);
  const auto bands = equaliser(1.0f);
  ASSERT_EQ(sys.createDsp(DspType::Chorus, chorus), Result::Ok);
  for (int i = 0; i < 200; ++i) {
    const Handle band = bands[std::size_t(i) % bands.size()];
    sys.setDspParameter(band, 2, float(i % 21) / 10.0f);
    sys.setDspParameter(band, 0, float(i * 97 % 23000));
    if (i % 10 == 0) sys.setDspBypass(band, i % 20 == 0);
    if (i % 7 == 0) (i % 14 == 0 ? sys.addDsp(chorus) : sys.removeDsp(chorus));
    if (i % 50 == 0) sys.setChannelPositionMs(channel, std::uint32_t(i * 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  bool playing = false;
  ASSERT_EQ(sys.channelPlaying(channel, playing), Result::Ok);
  EXPECT_TRUE(playing);
  EXPECT_EQ(sys.close(), Result::Ok);
}

}  // namespace
