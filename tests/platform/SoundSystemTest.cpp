#include "platform/sound/SoundSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "media/AudioFixtures.h"
#include "platform/sound/FileDecoder.h"

using namespace sound;
using fixtures::Segment;

namespace {

constexpr int kRate = 44100;

class SoundSystemTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new fixtures::TempDir;
    fixtures::writeWav(dir->file("a440.wav"), {{440, 3.0}});
    fixtures::writeWav(dir->file("a880.wav"), {{880, 3.0}});
    // Quiet enough that a 6 dB boost stays under the master limiter's threshold.
    fixtures::writeWav(dir->file("k1000.wav"), {{1000, 2.0}}, 44100, 2, 0.25);
    fixtures::writeWav(dir->file("b300.wav"), {{300, 2.0}}, 44100, 2, 0.5);
    fixtures::writeWav(dir->file("split.wav"), {{440, 1.0}, {880, 1.0}});
    ASSERT_TRUE(fixtures::writeEncoded(dir->file("a440.mp3"), {{440, 4.0}}));
    ASSERT_TRUE(fixtures::writeEncoded(dir->file("a440.wma"), {{440, 4.0}}));
    ASSERT_TRUE(fixtures::writeEncoded(dir->file("split.mp3"), {{440, 2.0}, {880, 2.0}}));
    fixtures::writeWav(dir->file("split48.wav"), {{440, 2.0}, {880, 2.0}}, 48000);
    ASSERT_TRUE(fixtures::writeEncoded(dir->file("split48.mp3"), {{440, 2.0}, {880, 2.0}}, 48000));
    ASSERT_TRUE(fixtures::writeEncoded(dir->file("split48.wma"), {{440, 2.0}, {880, 2.0}}, 48000));
  }
  static void TearDownTestSuite() { delete dir; }

  void SetUp() override { ASSERT_EQ(sys.init(3, Output::Manual), Result::Ok); }

  Handle open(const std::string& name) {
    Handle s = 0;
    EXPECT_EQ(sys.createStream(dir->file(name), s), Result::Ok) << name;
    return s;
  }
  Handle play(Handle s) {
    Handle c = 0;
    EXPECT_EQ(sys.playSound(s, false, c), Result::Ok);
    return c;
  }
  std::vector<float> render(double seconds) {
    std::vector<float> out(std::size_t(seconds * kRate) * 2);
    sys.render(out.data(), out.size() / 2);
    return out;
  }
  std::uint32_t position(Handle c) {
    std::uint32_t ms = 0;
    EXPECT_EQ(sys.channelPositionMs(c, ms), Result::Ok);
    return ms;
  }

  static fixtures::TempDir* dir;
  SoundSystem sys;
};
fixtures::TempDir* SoundSystemTest::dir = nullptr;

TEST_F(SoundSystemTest, LengthAndPitchOfEveryFormat) {
  for (const char* name : {"a440.wav", "a440.mp3", "a440.wma"}) {
    SCOPED_TRACE(name);
    const Handle s = open(name);
    std::uint32_t ms = 0;
    ASSERT_EQ(sys.soundLengthMs(s, ms), Result::Ok);
    const double expected = std::string(name).ends_with(".wav") ? 3000 : 4000;
    EXPECT_NEAR(ms, expected, expected * 0.01);
    float freq = 0, vol = 0, pan = 0;
    int prio = 0;
    ASSERT_EQ(sys.soundDefaults(s, freq, vol, pan, prio), Result::Ok);
    EXPECT_EQ(freq, 44100.0f);
    const Handle c = play(s);
    render(0.2);  // past the decoder's start-up
    EXPECT_NEAR(fixtures::zeroCrossingHz(render(1.0), kRate), 440.0, 2.0);
    ASSERT_EQ(sys.setChannelFrequency(c, 2 * freq), Result::Ok);
    render(0.05);
    EXPECT_NEAR(fixtures::zeroCrossingHz(render(0.5), kRate), 880.0, 4.0);
    sys.releaseSound(s);
  }
}

TEST_F(SoundSystemTest, VolumeScalesLinearlyAndTwoChannelsMix) {
  const Handle a = open("a440.wav"), b = open("a880.wav");
  const Handle ca = play(a);
  render(0.1);
  const double full = fixtures::rms(render(0.5));
  EXPECT_NEAR(full, 0.5 / std::sqrt(2.0), 0.01);
  sys.setChannelVolume(ca, 0.5f);
  render(0.05);
  EXPECT_NEAR(fixtures::rms(render(0.5)) / full, 0.5, 0.01);

  play(b);
  render(0.05);
  const auto both = render(0.5);
  EXPECT_NEAR(fixtures::magnitudeAt(both, kRate, 440), 0.25, 0.02);
  EXPECT_NEAR(fixtures::magnitudeAt(both, kRate, 880), 0.5, 0.02);
}

TEST_F(SoundSystemTest, PauseKeepsPositionAndStopIsSilentAtOnce) {
  const Handle c = play(open("a440.mp3"));
  render(1.0);
  const std::uint32_t at = position(c);
  EXPECT_NEAR(at, 1000, 30);
  ASSERT_EQ(sys.setChannelPaused(c, true), Result::Ok);
  EXPECT_EQ(fixtures::rms(render(0.5)), 0.0);
  EXPECT_EQ(position(c), at);
  sys.setChannelPaused(c, false);
  render(0.5);
  EXPECT_NEAR(position(c), at + 500, 30);

  ASSERT_EQ(sys.stopChannel(c), Result::Ok);
  std::vector<float> block(256 * 2);
  sys.render(block.data(), 256);
  EXPECT_EQ(fixtures::rms(block), 0.0);
  bool playing = true;
  EXPECT_EQ(sys.channelPlaying(c, playing), Result::InvalidHandle);
}

TEST_F(SoundSystemTest, SeekLandsExactlyOnTheRequestedPosition) {
  for (const char* name : {"split.wav", "split.mp3"}) {
    SCOPED_TRACE(name);
    const double half = std::string(name).ends_with(".wav") ? 1000 : 2000;
    const Handle s = open(name);
    const Handle c = play(s);
    render(0.2);
    ASSERT_EQ(sys.setChannelPositionMs(c, std::uint32_t(half + 300)), Result::Ok);
    EXPECT_EQ(position(c), half + 300);  // reported before the output gets there
    const auto after = render(0.4);
    EXPECT_NEAR(position(c), half + 700, 20);
    EXPECT_NEAR(fixtures::zeroCrossingHz(after, kRate), 880.0, 4.0);
    sys.setChannelPositionMs(c, 100);
    EXPECT_NEAR(fixtures::zeroCrossingHz(render(0.4), kRate), 440.0, 2.0);
    EXPECT_EQ(sys.setChannelPositionMs(c, 3600000), Result::InvalidParam);
    sys.releaseSound(s);
  }
}

// Position is in ms of the file, whatever its rate and whatever speed the channel plays at.
TEST_F(SoundSystemTest, PositionAndSeekCountFileTimeAtAnyRateAndPitch) {
  struct Row {
    const char* name;
    double pitch;  // channel frequency / file rate
  };
  for (Row row : {Row{"split.mp3", 1.0}, Row{"split48.wav", 1.0}, Row{"split48.wav", 1.5},
                  Row{"split48.wav", 0.75}, Row{"split48.mp3", 1.0}, Row{"split48.mp3", 1.25},
                  Row{"split48.wma", 0.8}, Row{"split.mp3", 1.5}}) {
    SCOPED_TRACE(std::string(row.name) + " at pitch " + std::to_string(row.pitch));
    const Handle s = open(row.name);
    std::uint32_t length = 0;
    sys.soundLengthMs(s, length);
    EXPECT_NEAR(length, 4000, 40);
    float rate = 0, vol = 0, pan = 0;
    int prio = 0;
    sys.soundDefaults(s, rate, vol, pan, prio);
    EXPECT_EQ(rate, std::string(row.name).find("48") != std::string::npos ? 48000.0f : 44100.0f);
    const Handle c = play(s);
    ASSERT_EQ(sys.setChannelFrequency(c, float(rate * row.pitch)), Result::Ok);
    render(1.0);
    EXPECT_NEAR(position(c), 1000 * row.pitch, 3);
    // Seek to a ms that is no whole number of frames at either rate.
    ASSERT_EQ(sys.setChannelPositionMs(c, 2001), Result::Ok);
    EXPECT_EQ(position(c), 2001u);
    const auto after = render(0.4);
    EXPECT_NEAR(position(c), 2001 + 400 * row.pitch, 3);
    EXPECT_NEAR(fixtures::zeroCrossingHz(after, kRate), 880.0 * row.pitch, 6.0 * row.pitch);
    ASSERT_EQ(sys.setChannelPositionMs(c, 1001), Result::Ok);
    render(0.5);
    EXPECT_NEAR(position(c), 1001 + 500 * row.pitch, 3);
    sys.releaseSound(s);
  }
}

// At the track's own rate a channel hands on the decoded frames as they are. Pitch moves
// away and back glide from that copy to the resampled sound and back: a step in the tone's
// phase, even by part of a frame, would show as a bend (a second difference) several times
// the steady tone's; the resampler's own glides bend it by up to a third more. Back at the
// own rate, the copy is exact again.
TEST_F(SoundSystemTest, AtItsOwnRateAChannelCopiesItsTrackAndPitchMovesGlideInAndOut) {
  FileDecoder decoder;
  ASSERT_EQ(decoder.open(dir->file("b300.wav")), Result::Ok);
  std::vector<float> track(std::size_t(2 * kRate) * 2);
  track.resize(std::size_t(decoder.read(track.data(), 2 * kRate)) * 2);
  // The frame near `about` (well within half the tone's period) the output is a copy from.
  auto copiedFrom = [&](const std::vector<float>& out, std::int64_t about) -> std::int64_t {
    for (std::int64_t k = std::max<std::int64_t>(0, about - 60); k < about + 60; ++k)
      if (std::size_t(k) * 2 + out.size() <= track.size() &&
          std::equal(out.begin(), out.end(), track.begin() + k * 2))
        return k;
    return -1;
  };
  const Handle c = play(open("b300.wav"));
  render(0.01);  // a fresh start fades in over its first block
  const auto held = render(0.3);
  EXPECT_EQ(copiedFrom(held, 441), 441);
  float steady = 0, bend = 0, last[2] = {held[held.size() - 4], held[held.size() - 2]};
  for (std::size_t i = 4; i < held.size(); i += 2)
    steady = std::max(steady, std::fabs(held[i] - 2 * held[i - 2] + held[i - 4]));
  for (int step = 0; step < 60; ++step) {
    const float pitch = step % 3 == 2 ? 0.97f : step % 3 == 1 ? 1.06f : 1.0f;
    ASSERT_EQ(sys.setChannelFrequency(c, kRate * pitch), Result::Ok);
    // At the own rate long enough for the copy to take over.
    std::vector<float> out(std::size_t(60 + step * 37 % 400 + (pitch == 1.0f ? 1500 : 0)) * 2);
    sys.render(out.data(), out.size() / 2);
    for (std::size_t i = 0; i < out.size(); last[0] = last[1], last[1] = out[i], i += 2)
      bend = std::max(bend, std::fabs(out[i] - 2 * last[1] + last[0]));
  }
  EXPECT_GT(steady, 5e-4f);
  EXPECT_LT(bend, steady * 1.6f);
  ASSERT_EQ(sys.setChannelFrequency(c, kRate), Result::Ok);
  render(0.02);
  const std::int64_t about = std::int64_t(position(c)) * kRate / 1000;
  EXPECT_GT(copiedFrom(render(0.2), about), 0);
}

TEST_F(SoundSystemTest, AChannelSlotReusedSixteenThousandTimesKeepsOldHandlesStale) {
  const Handle s = open("a440.wav");
  const Handle first = play(s);
  Handle current = first;
  for (int i = 0; i < 16400; ++i) {
    current = play(s);  // restarts the stream; the previous handle goes stale
    ASSERT_NE(current, first) << "after " << i << " restarts";
  }
  EXPECT_EQ(sys.stopChannel(first), Result::InvalidHandle);
  EXPECT_EQ(sys.setChannelVolume(first, 0.0f), Result::InvalidHandle);
  bool playing = false;
  ASSERT_EQ(sys.channelPlaying(current, playing), Result::Ok);
  EXPECT_TRUE(playing);
  render(0.1);
  float volume = 0;
  ASSERT_EQ(sys.channelVolume(current, volume), Result::Ok);
  EXPECT_EQ(volume, 1.0f);
  EXPECT_GT(fixtures::rms(render(0.1)), 0.3);
}

TEST_F(SoundSystemTest, PlayingAStreamAgainRestartsItOnANewHandle) {
  const Handle s = open("a440.wav");
  const Handle first = play(s);
  render(1.0);
  const Handle second = play(s);
  EXPECT_NE(first, second);
  bool playing = false;
  EXPECT_EQ(sys.channelPlaying(first, playing), Result::InvalidHandle);
  EXPECT_LT(position(second), 20u);
  render(0.5);
  EXPECT_NEAR(position(second), 500, 20);
}

TEST_F(SoundSystemTest, EqualiserBandRaisesItsFrequencyAndUnityGainChangesNothing) {
  const Handle c = play(open("k1000.wav"));
  (void)c;
  render(0.1);
  const auto dry = render(0.5);
  Handle eq = 0;
  ASSERT_EQ(sys.createDsp(DspType::ParametricEq, eq), Result::Ok);
  sys.setDspParameter(eq, 0, 1000.0f);
  sys.setDspParameter(eq, 1, 1.0f);
  sys.setDspParameter(eq, 2, 1.0f);
  ASSERT_EQ(sys.addDsp(eq), Result::Ok);
  bool active = false;
  sys.dspActive(eq, active);
  EXPECT_TRUE(active);
  EXPECT_NEAR(fixtures::rms(render(0.5)) / fixtures::rms(dry), 1.0, 1e-4);
  sys.setDspParameter(eq, 2, 2.0f);
  render(0.1);
  const double gainDb = 20 * std::log10(fixtures::rms(render(0.5)) / fixtures::rms(dry));
  EXPECT_NEAR(gainDb, 6.02, 0.3);

  // Out-of-range settings are clamped or bypassed, never NaN or a blow-up.
  sys.setDspParameter(eq, 0, 0.0f);
  sys.setDspParameter(eq, 2, 1000.0f);
  float gain = 0;
  sys.dspParameter(eq, 2, gain);
  EXPECT_LE(gain, 3.0f);
  render(0.1);  // the band glides back to unity
  const auto bypassed = render(0.2);
  EXPECT_NEAR(fixtures::rms(bypassed) / fixtures::rms(dry), 1.0, 0.01);
  EXPECT_EQ(sys.setDspParameter(eq, 2, std::nanf("")), Result::InvalidParam);
  EXPECT_EQ(sys.setDspParameter(eq, 7, 1.0f), Result::InvalidParam);
}

TEST_F(SoundSystemTest, ChorusChangesTheOutputOnlyWhileInTheChain) {
  SoundSystem ref;
  ASSERT_EQ(ref.init(3, Output::Manual), Result::Ok);
  Handle rs = 0, rc = 0;
  ASSERT_EQ(ref.createStream(dir->file("a440.wav"), rs), Result::Ok);
  ASSERT_EQ(ref.playSound(rs, false, rc), Result::Ok);
  play(open("a440.wav"));
  auto block = [](SoundSystem& s) {
    std::vector<float> out(4096 * 2);
    s.render(out.data(), 4096);
    return out;
  };
  EXPECT_EQ(block(sys), block(ref));
  Handle chorus = 0;
  ASSERT_EQ(sys.createDsp(DspType::Chorus, chorus), Result::Ok);
  sys.addDsp(chorus);
  EXPECT_NE(block(sys), block(ref));
  sys.removeDsp(chorus);
  bool active = true;
  sys.dspActive(chorus, active);
  EXPECT_FALSE(active);  // at once, though it takes a few ms to fade out
  EXPECT_NE(block(sys), block(ref));
  EXPECT_EQ(block(sys), block(ref));
}

TEST_F(SoundSystemTest, SpectrumPeaksInTheBandOfTheTone) {
  const Handle c = play(open("a440.wav"));
  render(0.3);
  std::vector<float> bands(512);
  ASSERT_EQ(sys.channelSpectrum(c, bands.data(), 512, 0, Window::Triangle), Result::Ok);
  const auto peak = std::max_element(bands.begin(), bands.end()) - bands.begin();
  EXPECT_EQ(peak, std::lround(440.0 / (kRate / 1024.0)));
  EXPECT_GT(bands[std::size_t(peak)], 0.2f);
  EXPECT_LE(bands[std::size_t(peak)], 1.0f);
  EXPECT_EQ(sys.channelSpectrum(c, bands.data(), 500, 0, Window::Triangle), Result::InvalidParam);
  EXPECT_EQ(sys.channelSpectrum(c, bands.data(), 64, 2, Window::Triangle), Result::InvalidParam);
}

TEST_F(SoundSystemTest, StaleHandlesDoNothing) {
  const Handle s = open("a440.wav");
  const Handle c = play(s);
  ASSERT_EQ(sys.stopChannel(c), Result::Ok);
  float v = 0;
  std::uint32_t ms = 0;
  bool b = false;
  EXPECT_EQ(sys.stopChannel(c), Result::InvalidHandle);
  EXPECT_EQ(sys.setChannelVolume(c, 1.0f), Result::InvalidHandle);
  EXPECT_EQ(sys.channelFrequency(c, v), Result::InvalidHandle);
  EXPECT_EQ(sys.setChannelPositionMs(c, 0), Result::InvalidHandle);
  EXPECT_EQ(sys.channelPaused(c, b), Result::InvalidHandle);
  ASSERT_EQ(sys.releaseSound(s), Result::Ok);
  EXPECT_EQ(sys.releaseSound(s), Result::InvalidHandle);
  EXPECT_EQ(sys.soundLengthMs(s, ms), Result::InvalidHandle);
  Handle again = 0;
  EXPECT_EQ(sys.playSound(s, false, again), Result::InvalidHandle);
  EXPECT_EQ(again, 0u);
  // A handle of another kind, or made up, is refused too.
  EXPECT_EQ(sys.releaseSound(0), Result::InvalidHandle);
  EXPECT_EQ(sys.releaseSound(0xDEADBEEF), Result::InvalidHandle);
  // A released sound's slot, reused, does not answer to the old handle.
  const Handle fresh = open("a440.wav");
  EXPECT_NE(fresh, s);
  EXPECT_EQ(sys.soundLengthMs(s, ms), Result::InvalidHandle);
  // After close everything answers NotInitialized.
  sys.close();
  EXPECT_EQ(sys.soundLengthMs(fresh, ms), Result::NotInitialized);
  ASSERT_EQ(sys.init(3, Output::Manual), Result::Ok);
  EXPECT_EQ(sys.soundLengthMs(fresh, ms), Result::InvalidHandle);
}

TEST_F(SoundSystemTest, ATrackPlaysToItsEndAndStops) {
  const Handle c = play(open("a440.wma"));
  render(4.3);
  bool playing = true;
  ASSERT_EQ(sys.channelPlaying(c, playing), Result::Ok);
  EXPECT_FALSE(playing);
  EXPECT_NEAR(position(c), 4000, 60);
  EXPECT_EQ(fixtures::rms(render(0.1)), 0.0);
}

TEST_F(SoundSystemTest, BadFilesNeverCrashOrHang) {
  fixtures::writeRandom(dir->file("noise.mp3"), 200000);
  std::ofstream(dir->file("empty.mp3")).close();
  std::filesystem::create_directory(dir->file("folder.mp3"));
  {
    std::ifstream in(dir->file("a440.mp3"), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::ofstream out(dir->file("truncated.mp3"), std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size() / 3));
  }
  Handle s = 0;
  EXPECT_EQ(sys.createStream(dir->file("missing.mp3"), s), Result::FileNotFound);
  EXPECT_EQ(sys.createStream(dir->file("empty.mp3"), s), Result::FormatError);
  EXPECT_EQ(sys.createStream(dir->file("folder.mp3"), s), Result::FormatError);
  EXPECT_EQ(s, 0u);

  for (const char* name : {"noise.mp3", "truncated.mp3"}) {
    SCOPED_TRACE(name);
    Handle bad = 0;
    if (sys.createStream(dir->file(name), bad) != Result::Ok) continue;  // refusing is fine
    Handle c = 0;
    ASSERT_EQ(sys.playSound(bad, false, c), Result::Ok);
    bool playing = true;
    for (int i = 0; i < 60 && playing; ++i) {
      const auto out = render(0.5);
      for (float v : out) ASSERT_TRUE(std::isfinite(v));
      sys.channelPlaying(c, playing);
    }
    EXPECT_FALSE(playing) << "a damaged file must come to an end";
    sys.setChannelPositionMs(c, 500);
    render(0.1);
    sys.releaseSound(bad);
  }
}

TEST(SoundSystemOutput, PlaysInRealTimeThroughTheOutputThread) {
  fixtures::TempDir dir;
  fixtures::writeWav(dir.file("t.wav"), {{440, 2.0}});
  SoundSystem sys;
  ASSERT_EQ(sys.init(3, Output::Silent), Result::Ok);
  EXPECT_EQ(sys.output(), Output::Silent);
  Handle s = 0, c = 0;
  ASSERT_EQ(sys.createStream(dir.file("t.wav"), s), Result::Ok);
  ASSERT_EQ(sys.playSound(s, false, c), Result::Ok);
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  std::uint32_t ms = 0;
  sys.channelPositionMs(c, ms);
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
  EXPECT_GT(ms, 300u);
  EXPECT_LT(double(ms), double(elapsed) + 150);
  // Seek, stop, restart and release while the output thread runs.
  sys.setChannelPositionMs(c, 1500);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  sys.channelPositionMs(c, ms);
  EXPECT_GE(ms, 1500u);
  ASSERT_EQ(sys.playSound(s, false, c), Result::Ok);
  sys.releaseSound(s);
  EXPECT_EQ(sys.close(), Result::Ok);
}

}  // namespace

namespace {

TEST(SoundSystemOutput, WithNoDeviceItPlaysOnSilently) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SoundSystem sys;
  const Result r = sys.init(3, Output::Device);
  unsetenv("SDL_AUDIODRIVER");
  ASSERT_EQ(r, Result::Ok);
  EXPECT_EQ(sys.output(), Output::Silent);
  EXPECT_EQ(sys.init(3, Output::Device), Result::InvalidParam);  // once is enough
  EXPECT_EQ(sys.close(), Result::Ok);
  EXPECT_EQ(sys.close(), Result::NotInitialized);
}

}  // namespace
