#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "media/AudioFixtures.h"
#include "platform/sound/RecordTap.h"
#include "platform/sound/SoundSystem.h"

using namespace sound;

namespace {

constexpr int kRate = 44100;
constexpr float kStep = 1.0f / 8388608.0f;  // one 24-bit step

// The file's samples as FFmpeg decodes them, stereo float.
std::vector<float> decode(const std::string& path) {
  std::vector<float> out;
  FILE* p = popen(("ffmpeg -v quiet -i '" + path + "' -f f32le -ac 2 - 2>/dev/null").c_str(), "r");
  if (!p) return out;
  float buf[4096];
  for (std::size_t n; (n = fread(buf, sizeof(float), 4096, p)) > 0;)
    out.insert(out.end(), buf, buf + n);
  pclose(p);
  return out;
}

// The 32-bit field at byte `at` of a WAV file's header.
std::uint32_t wavField(const std::string& path, long at) {
  std::uint32_t v = 0;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    if (std::fseek(f, at, SEEK_SET) != 0 || std::fread(&v, 4, 1, f) != 1) v = 0;
    std::fclose(f);
  }
  return v;
}

// How far `got` strays from the start of `want`, and whether it is no longer than it.
float worstError(const std::vector<float>& got, const std::vector<float>& want) {
  if (got.size() > want.size()) return 1e9f;
  float worst = 0;
  for (std::size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - want[i]));
  return worst;
}

struct Case {
  RecordFormat format;
  const char* name;
  float tolerance;
  std::size_t held;  // frames an encoder may still hold before it writes them
};
const Case kCases[] = {{RecordFormat::WavFloat, "mix.wav", 0.0f, 0},
                       {RecordFormat::Flac24, "mix.flac", kStep * 0.5001f, 4097}};

class RecordingTest : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    dir = new fixtures::TempDir;
    // Loud enough that the limiter works on the sum, so its output is what is compared.
    fixtures::writeWav(dir->file("a.wav"), {{440, 4.0}}, kRate, 2, 0.7);
    fixtures::writeWav(dir->file("b.wav"), {{1250, 4.0}}, kRate, 2, 0.6);
  }
  static void TearDownTestSuite() { delete dir; }
  void SetUp() override {
    ASSERT_EQ(sys.init(4, Output::Manual), Result::Ok);
    for (const char* name : {"a.wav", "b.wav"}) {
      Handle s = 0, c = 0;
      ASSERT_EQ(sys.createStream(dir->file(name), s), Result::Ok);
      ASSERT_EQ(sys.playSound(s, false, c), Result::Ok);
    }
    Handle eq = 0;
    ASSERT_EQ(sys.createDsp(DspType::ParametricEq, eq), Result::Ok);
    sys.setDspParameter(eq, 2, 2.0f);
    sys.addDsp(eq);
    path = dir->file(GetParam().name);
  }
  void render(double seconds) {
    std::vector<float> block(std::size_t(seconds * kRate) * 2);
    sys.render(block.data(), block.size() / 2);
    mixed.insert(mixed.end(), block.begin(), block.end());
  }

  static fixtures::TempDir* dir;
  SoundSystem sys;
  std::string path;
  std::vector<float> mixed;  // what the output got while recording
};
fixtures::TempDir* RecordingTest::dir = nullptr;

// The file holds the master mix: while it is being made (a moment after the last block) and
// once it is complete, sample for sample (FLAC within half a 24-bit step).
TEST_P(RecordingTest, TheFileHoldsTheMasterMix) {
  const Case& c = GetParam();
  render(0.3);  // before the recording: not in the file
  mixed.clear();
  ASSERT_EQ(sys.startRecording(path, c.format), Result::Ok);
  EXPECT_EQ(sys.startRecording(path, c.format), Result::InvalidParam);
  render(1.5);
  // Once the writer has the blocks, the file holds them within a flush's interval.
  for (int i = 0; i < 500 && sys.recordingState().framesWritten < mixed.size() / 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(Recorder::kFlushMs + 300));
  std::vector<float> early = decode(path);
  EXPECT_LE(worstError(early, mixed), c.tolerance);
  EXPECT_GE(early.size() / 2 + c.held, mixed.size() / 2);
  EXPECT_TRUE(sys.recordingState().active);
  if (c.format == RecordFormat::WavFloat) {  // players that trust the header read it all
    const std::uintmax_t data = std::filesystem::file_size(path) - 58;
    EXPECT_EQ(data, mixed.size() * 4);
    // The data's size, the bytes a second and the frames (in the fact chunk).
    EXPECT_EQ(std::make_tuple(wavField(path, 54), wavField(path, 28), wavField(path, 46)),
              std::make_tuple(data, kRate * 8u, data / 8));
  }

  render(1.2);
  ASSERT_EQ(sys.stopRecording(), Result::Ok);
  const RecordingState s = sys.recordingState();
  EXPECT_FALSE(s.active);
  EXPECT_EQ(s.error, "");
  EXPECT_EQ(s.droppedBlocks, 0u);
  EXPECT_EQ(s.framesCaptured, mixed.size() / 2);
  EXPECT_EQ(s.framesWritten, mixed.size() / 2);
  std::vector<float> all = decode(path);
  EXPECT_EQ(all.size(), mixed.size());
  EXPECT_LE(worstError(all, mixed), c.tolerance);
}

// A write error (here the file-size limit) stops the recording, says why, and leaves a file
// that decodes up to what was written.
TEST_P(RecordingTest, AWriteErrorKeepsWhatWasWritten) {
  const Case& c = GetParam();
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit tiny = old;
  tiny.rlim_cur = 150000;
  ASSERT_EQ(sys.startRecording(path, c.format), Result::Ok);
  setrlimit(RLIMIT_FSIZE, &tiny);
  for (int i = 0; i < 10 && sys.recordingState().active; ++i) {
    render(0.4);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, SIG_DFL);
  const RecordingState s = sys.recordingState();
  EXPECT_FALSE(s.active);
  EXPECT_NE(s.error.find("too large"), std::string::npos) << s.error;
  sys.stopRecording();
  EXPECT_EQ(sys.recordingState().error, s.error);
  std::vector<float> got = decode(path);
  EXPECT_LE(worstError(got, mixed), c.tolerance);
  EXPECT_GE(got.size() / 2 + c.held * 2, s.framesWritten);
  EXPECT_GT(got.size() / 2, std::size_t(kRate / 4));
  // A new recording starts afresh.
  mixed.clear();
  ASSERT_EQ(sys.startRecording(path, c.format), Result::Ok);
  render(0.5);
  sys.stopRecording();
  EXPECT_LE(worstError(decode(path), mixed), c.tolerance);
  EXPECT_EQ(sys.recordingState().framesWritten, mixed.size() / 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordingTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name).substr(4); });

TEST(RecordingStart, AFileThatCannotBeMadeIsRefused) {
  SoundSystem sys;
  EXPECT_EQ(sys.startRecording("/tmp/x.flac"), Result::NotInitialized);
  ASSERT_EQ(sys.init(2, Output::Manual), Result::Ok);
  fixtures::TempDir dir;
  ASSERT_EQ(sys.startRecording(dir.file("x.wav"), RecordFormat::WavFloat), Result::Ok);
  EXPECT_TRUE(sys.recordingState().active);
  sys.stopRecording();
  EXPECT_EQ(sys.startRecording("/nonexistent-dir/x.flac"), Result::FileNotFound);
  EXPECT_NE(sys.recordingState().error, "");
  EXPECT_FALSE(sys.recordingState().active);
}

}  // namespace

// The tap's ring across many wraps: frames come out in order and whole; when it is full a
// block is dropped whole and counted, and nothing in the ring is touched.
TEST(RecordTapRing, WrapsInOrderAndDropsWholeBlocks) {
  RecordTap tap;
  tap.arm();
  std::vector<float> block(2 * 1000), out(2 * RecordTap::kFrames);
  std::uint64_t read = 0;
  auto push = [&] {
    const auto at = float(tap.captured());  // each frame holds its place in the recording
    for (std::size_t i = 0; i < 1000; ++i) block[2 * i] = -(block[2 * i + 1] = at + float(i));
    tap.push(block.data(), 1000);
  };
  auto drain = [&](std::size_t most) {
    const std::size_t n = tap.read(out.data(), most);
    for (std::size_t i = 0; i < n; ++i)
      ASSERT_TRUE(out[2 * i + 1] == float(read + i) && out[2 * i] == -float(read + i)) << read + i;
    read += n;
  };
  for (int round = 0; round < 2000; ++round) {  // reads lag, so the ring wraps several times
    push();
    drain(900 + std::size_t(round % 200));
  }
  EXPECT_EQ(tap.dropped(), 0u);
  while (tap.dropped() == 0) push();
  EXPECT_LE(tap.captured() - read, RecordTap::kFrames);
  drain(RecordTap::kFrames);
  push();
  drain(RecordTap::kFrames);
  EXPECT_EQ(read, tap.captured());
  EXPECT_EQ(tap.dropped(), 1u);
}
