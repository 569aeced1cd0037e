// Damaged and malicious files, three hundred of them, made fresh from the run-time fixtures
// with a fixed seed: each is opened, played, sought (also past its end) and released in
// manual output. None may crash, hang or put a sample outside full scale on the output.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "media/AudioFixtures.h"
#include "platform/sound/SoundSystem.h"
#include "support/MediaMutator.h"

using namespace sound;

namespace {

constexpr int kRate = 44100;
constexpr int kVariants = 300;
constexpr unsigned kSeed = 20240611;

class HostileMedia : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new fixtures::TempDir;
    fixtures::writeWav(dir->file("tone.wav"), {{440, 1.0}, {880, 1.0}});
    ASSERT_TRUE(fixtures::writeEncoded(dir->file("tone.mp3"), {{440, 1.0}, {880, 1.0}}));
    ASSERT_TRUE(fixtures::writeEncoded(dir->file("tone.wma"), {{440, 1.0}, {880, 1.0}}));
  }
  static void TearDownTestSuite() { delete dir; }

  // Renders `seconds` in blocks and checks every sample; false on the first bad one.
  bool renderChecked(SoundSystem& sys, double seconds, std::string& bad) {
    std::vector<float> block(2205 * 2);
    for (double done = 0; done < seconds; done += 0.05) {
      sys.render(block.data(), 2205);
      for (float v : block)
        if (!std::isfinite(v) || std::fabs(v) > 1.0f) {
          bad = "sample " + std::to_string(v);
          return false;
        }
    }
    return true;
  }

  static fixtures::TempDir* dir;
};
fixtures::TempDir* HostileMedia::dir = nullptr;

TEST_F(HostileMedia, ThreeHundredDamagedFilesPlayOrFailCleanly) {
  const char* names[] = {"tone.wav", "tone.mp3", "tone.wma"};
  std::vector<fixtures::Bytes> originals;
  for (const char* name : names) originals.push_back(fixtures::readBytes(dir->file(name)));

  SoundSystem sys;
  ASSERT_EQ(sys.init(3, Output::Manual), Result::Ok);
  fixtures::MediaMutator mutator(kSeed);
  int opened = 0;
  const auto suiteStart = std::chrono::steady_clock::now();
  for (int i = 0; i < kVariants; ++i) {
    const int kind = i % 3;
    const auto mutation = fixtures::Mutation((i / 3) % fixtures::kMutationCount);
    std::string what;
    const fixtures::Bytes bytes = mutator.mutate(originals[std::size_t(kind)], mutation, what);
    const std::string path = dir->file("variant-" + std::to_string(i) + "-" + names[kind]);
    fixtures::writeBytes(path, bytes);
    SCOPED_TRACE("variant " + std::to_string(i) + " of " + names[kind] + ": " + what);

    const auto start = std::chrono::steady_clock::now();
    Handle s = 0, c = 0;
    const Result r = sys.createStream(path, s);
    // Opening gives up after about a second; the sanitizers slow everything a few times.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    if (r != Result::Ok) {
      EXPECT_EQ(r, Result::FormatError);
      continue;
    }
    ++opened;
    std::uint32_t length = 0;
    ASSERT_EQ(sys.soundLengthMs(s, length), Result::Ok);
    ASSERT_EQ(sys.playSound(s, false, c), Result::Ok);
    std::string bad;
    ASSERT_TRUE(renderChecked(sys, 0.5, bad)) << bad;
    sys.setChannelPositionMs(c, length / 2);
    ASSERT_TRUE(renderChecked(sys, 0.15, bad)) << bad;
    // Past the end: refused when the length is known, else the track simply ends.
    sys.setChannelPositionMs(c, length < 0xFFFFFFFFu - 5000 ? length + 5000 : length);
    ASSERT_TRUE(renderChecked(sys, 0.1, bad)) << bad;
    std::uint32_t ms = 0;
    EXPECT_EQ(sys.channelPositionMs(c, ms), Result::Ok);
    EXPECT_EQ(sys.releaseSound(s), Result::Ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
  // Most damage leaves something playable; if nothing opened, the mutations went wrong.
  EXPECT_GT(opened, kVariants / 4);
  EXPECT_LT(std::chrono::steady_clock::now() - suiteStart, std::chrono::seconds(60));
}

// The two headers that once froze or overflowed the opening of a file, made by hand.
TEST_F(HostileMedia, LyingRateAndDurationAreRefusedOrSaturated) {
  SoundSystem sys;
  ASSERT_EQ(sys.init(3, Output::Manual), Result::Ok);
  fixtures::Bytes wav = fixtures::readBytes(dir->file("tone.wav"));
  for (std::uint32_t rate : {2147483647u, 384001u, 0u}) {
    SCOPED_TRACE(rate);
    for (int i = 0; i < 4; ++i) wav[24 + std::size_t(i)] = std::uint8_t(rate >> (8 * i));
    fixtures::writeBytes(dir->file("rate.wav"), wav);
    const auto start = std::chrono::steady_clock::now();
    Handle s = 0;
    EXPECT_EQ(sys.createStream(dir->file("rate.wav"), s), Result::FormatError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }
  for (std::uint16_t channels : {0, 9, 255}) {
    wav = fixtures::readBytes(dir->file("tone.wav"));
    wav[22] = std::uint8_t(channels);
    wav[23] = std::uint8_t(channels >> 8);
    fixtures::writeBytes(dir->file("channels.wav"), wav);
    Handle s = 0;
    EXPECT_EQ(sys.createStream(dir->file("channels.wav"), s), Result::FormatError) << channels;
  }

  // An ASF file whose play duration is 2^63-1 (in 100 ns units): its length saturates.
  fixtures::Bytes wma = fixtures::readBytes(dir->file("tone.wma"));
  const fixtures::Bytes props = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
  const auto at = std::search(wma.begin(), wma.end(), props.begin(), props.end());
  ASSERT_NE(at, wma.end());
  for (std::size_t field : {64u, 72u}) {  // play and send duration
    for (int i = 0; i < 8; ++i) *(at + std::ptrdiff_t(field) + i) = i == 7 ? 0x7F : 0xFF;
  }
  fixtures::writeBytes(dir->file("forever.wma"), wma);
  Handle s = 0, c = 0;
  if (sys.createStream(dir->file("forever.wma"), s) == Result::Ok) {
    std::uint32_t ms = 0;
    ASSERT_EQ(sys.soundLengthMs(s, ms), Result::Ok);
    EXPECT_GT(ms, 0u);
    ASSERT_EQ(sys.playSound(s, false, c), Result::Ok);
    std::vector<float> out(kRate * 8 / 10 * 2);  // the first tone only
    sys.render(out.data(), out.size() / 2);
    EXPECT_NEAR(fixtures::zeroCrossingHz(out, kRate), 440.0, 4.0);  // it still plays
    EXPECT_EQ(sys.setChannelPositionMs(c, ms), Result::Ok);
    sys.render(out.data(), out.size() / 2);
    sys.releaseSound(s);
  }
}

}  // namespace
