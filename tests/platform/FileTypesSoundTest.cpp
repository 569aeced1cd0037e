// Every type the player takes besides MP3 and WMA plays, and lands within 50 ms of where it
// is sent. The files are made at run time by the ffmpeg program from one WAV: 2 s of 440 Hz,
// half a second of silence, then 1.5 s of 880 Hz, so the edges of the silence say where the
// sound is.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/AudioFixtures.h"
#include "platform/sound/SoundSystem.h"

using namespace sound;

namespace {

constexpr int kRate = 44100;
constexpr double kToleranceMs = 50;

struct Type {
  const char *name, *file, *arguments;  // the test's name, the file's, ffmpeg's encoder
};

class FileTypeSound : public ::testing::TestWithParam<Type> {
 protected:
  static void SetUpTestSuite() {
    dir = new fixtures::TempDir;
    fixtures::writeWav(dir->file("source.wav"), {{440, 2.0}, {0, 0.5}, {880, 1.5}}, kRate, 2, 0.5);
  }
  static void TearDownTestSuite() { delete dir; }

  void SetUp() override {
    const Type& t = GetParam();
    path = dir->file(t.file);
    const std::string command = "ffmpeg -nostdin -loglevel error -y -i '" +
                                dir->file("source.wav") + "' " + t.arguments + " '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_EQ(sys.init(2, Output::Manual), Result::Ok);
  }

  std::vector<float> render(double seconds) {
    std::vector<float> out(std::size_t(seconds * kRate) * 2);
    sys.render(out.data(), out.size() / 2);
    return out;
  }
  // Where in `out` the sound first goes quiet (or, with `loud`, first comes back), in ms:
  // the first 5 ms window whose level passes the threshold; -1 when none does.
  static double edgeMs(const std::vector<float>& out, bool loud) {
    constexpr std::size_t kWindow = kRate / 200;
    for (std::size_t f = 0; f + kWindow <= out.size() / 2; f += kWindow / 5) {
      const std::vector<float> piece(out.begin() + std::ptrdiff_t(f * 2),
                                     out.begin() + std::ptrdiff_t((f + kWindow) * 2));
      if ((fixtures::rms(piece) > 0.05) == loud) return 1000.0 * double(f) / kRate;
    }
    return -1;
  }
  static fixtures::TempDir* dir;
  std::string path;
  SoundSystem sys;
};
fixtures::TempDir* FileTypeSound::dir = nullptr;

TEST_P(FileTypeSound, PlaysAndSeeksWithin50Ms) {
  Handle s = 0;
  ASSERT_EQ(sys.createStream(path, s), Result::Ok);
  std::uint32_t length = 0;
  ASSERT_EQ(sys.soundLengthMs(s, length), Result::Ok);
  EXPECT_NEAR(length, 4000, kToleranceMs);
  Handle c = 0;
  ASSERT_EQ(sys.playSound(s, false, c), Result::Ok);
  render(0.2);  // past the decoder's start-up
  EXPECT_NEAR(fixtures::zeroCrossingHz(render(0.5), kRate), 440.0, 3.0);

  // Forward into the first tone: the silence starts 300 ms later.
  ASSERT_EQ(sys.setChannelPositionMs(c, 1700), Result::Ok);
  EXPECT_NEAR(edgeMs(render(0.5), false), 300, kToleranceMs);
  // Into the silence: the second tone starts 200 ms later.
  ASSERT_EQ(sys.setChannelPositionMs(c, 2300), Result::Ok);
  const std::vector<float> after = render(0.6);
  EXPECT_NEAR(edgeMs(after, true), 200, kToleranceMs);
  std::uint32_t ms = 0;
  ASSERT_EQ(sys.channelPositionMs(c, ms), Result::Ok);
  EXPECT_NEAR(ms, 2900, kToleranceMs);
  const std::vector<float> tone(after.begin() + std::ptrdiff_t(0.3 * kRate) * 2, after.end());
  EXPECT_NEAR(fixtures::zeroCrossingHz(tone, kRate), 880.0, 6.0);
  // Back into the first tone, 150 ms before its end.
  ASSERT_EQ(sys.setChannelPositionMs(c, 1850), Result::Ok);
  EXPECT_NEAR(edgeMs(render(0.4), false), 150, kToleranceMs);
  sys.releaseSound(s);
}

INSTANTIATE_TEST_SUITE_P(AllAudioFiles, FileTypeSound,
                         ::testing::Values(Type{"Flac", "t.flac", "-c:a flac"},
                                           Type{"OggVorbis", "t.ogg", "-c:a libvorbis -q:a 4"},
                                           Type{"Opus", "t.opus", "-c:a libopus -b:a 96k"},
                                           Type{"M4aAac", "t-aac.m4a", "-c:a aac -b:a 128k"},
                                           Type{"M4aAlac", "t-alac.m4a", "-c:a alac"},
                                           Type{"Aiff", "t.aiff", "-c:a pcm_s16be"},
                                           Type{"Wav", "t.wav", "-c:a pcm_s16le"}),
                         [](const ::testing::TestParamInfo<Type>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
