#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "media/AudioFixtures.h"
#include "platform/sound/CueDevice.h"
#include "platform/sound/DriftFollower.h"
#include "platform/sound/SoundSystem.h"

using namespace sound;

namespace {

constexpr int kRate = 44100;

class CueBusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new fixtures::TempDir;
    fixtures::writeWav(dir->file("a440.wav"), {{440, 3.0}}, kRate, 2, 0.4);
    fixtures::writeWav(dir->file("e660.wav"), {{660, 3.0}}, kRate, 2, 0.4);
  }
  static void TearDownTestSuite() { delete dir; }
  void SetUp() override { ASSERT_EQ(sys.init(4, Output::Manual), Result::Ok); }

  Handle play(const char* name, bool master = true, bool cue = false) {
    Handle s = 0, c = 0;
    EXPECT_EQ(sys.createStream(dir->file(name), s), Result::Ok);
    EXPECT_EQ(sys.setSoundRoute(s, master, cue), Result::Ok);
    EXPECT_EQ(sys.playSound(s, false, c), Result::Ok);
    return c;
  }
  // Renders `seconds` of the output into `out` and of the headphones into `cue`.
  void render(double seconds) {
    out.assign(std::size_t(seconds * kRate) * 2, 0.0f);
    cue.assign(out.size(), 0.0f);
    sys.render(out.data(), out.size() / 2, cue.data());
  }
  double at(const std::vector<float>& v, double hz, int channel = 0) {
    return fixtures::magnitudeAt(v, kRate, hz, channel);
  }

  static fixtures::TempDir* dir;
  SoundSystem sys;
  std::vector<float> out, cue;
};
fixtures::TempDir* CueBusTest::dir = nullptr;

// A cue send takes nothing from the master: the output with a cued channel, and with the
// headphones' bus asked for, is the output of a system that has none, bit for bit.
TEST_F(CueBusTest, TheMasterIsUnchangedByCueSends) {
  SoundSystem plain;
  ASSERT_EQ(plain.init(4, Output::Manual), Result::Ok);
  for (const char* name : {"a440.wav", "e660.wav"}) {
    Handle s = 0, c = 0;
    ASSERT_EQ(plain.createStream(dir->file(name), s), Result::Ok);
    ASSERT_EQ(plain.playSound(s, false, c), Result::Ok);
    plain.setChannelVolume(c, 0.7f);
    sys.setChannelVolume(play(name, true, name[0] == 'e'), 0.7f);
  }
  std::vector<float> expected(kRate);
  plain.render(expected.data(), expected.size() / 2);
  render(0.5);
  EXPECT_EQ(out, expected);
  EXPECT_GT(at(cue, 660), 0.39);
}

// The cue hears a channel at full level whatever its volume knob; the master hears it at
// its volume. A channel sent to the cue only (the preview) is never in the master, and a
// route changed while it plays takes effect at once.
TEST_F(CueBusTest, ACuedChannelIsHeardInTheCueAtFullLevel) {
  const Handle deck = play("a440.wav", true, true);
  sys.setChannelVolume(deck, 0.25f);
  const Handle preview = play("e660.wav", false, true);
  render(0.05);
  render(0.5);
  EXPECT_NEAR(at(out, 440), 0.1, 0.01);
  EXPECT_LT(at(out, 660), 1e-4);
  EXPECT_NEAR(at(cue, 440), 0.4, 0.01);
  EXPECT_NEAR(at(cue, 660), 0.4, 0.01);

  sys.setChannelRoute(deck, true, false);
  sys.setChannelRoute(preview, true, false);
  render(0.05);
  render(0.5);
  EXPECT_LT(at(cue, 440), 1e-4);
  EXPECT_NEAR(at(out, 660), 0.4, 0.01);
}

// Split: the room hears the master in mono on one side, the headphones are the other side;
// swap turns it round. The head mix blends the master into the headphones, the head level
// scales them, and neither touches the room's side.
TEST_F(CueBusTest, SplitPutsEachBusInItsOwnEar) {
  play("a440.wav");
  const Handle cued = play("e660.wav", true, true);
  sys.setChannelVolume(cued, 0.0f);
  for (bool swap : {false, true}) {
    SCOPED_TRACE(swap);
    ASSERT_EQ(sys.setHeadphones(CueMode::Split, swap, 0.0f, 1.0f), Result::Ok);
    render(0.05);
    render(0.5);
    const int room = swap ? 1 : 0, head = 1 - room;
    EXPECT_NEAR(at(out, 440, room), 0.4, 0.01);
    EXPECT_LT(at(out, 660, room), 1e-4);
    EXPECT_NEAR(at(out, 660, head), 0.4, 0.01);
    EXPECT_LT(at(out, 440, head), 1e-4);
  }
  sys.setHeadphones(CueMode::Split, false, 0.5f, 0.5f);
  render(0.05);
  render(0.5);
  EXPECT_NEAR(at(out, 440, 1), 0.1, 0.01);
  EXPECT_NEAR(at(out, 660, 1), 0.1, 0.01);
  EXPECT_NEAR(at(out, 440, 0), 0.4, 0.01);

  // Off again: the output is the master's stereo mix.
  sys.setHeadphones(CueMode::None, false, 0.0f, 1.0f);
  render(0.05);
  render(0.5);
  EXPECT_NEAR(at(out, 440, 1), 0.4, 0.01);
  EXPECT_LT(at(out, 660, 1), 1e-4);
  EXPECT_EQ(sys.setHeadphones(CueMode::Split, false, NAN, 1.0f), Result::InvalidParam);
}

// A headphones' device that the test pulls by hand, and can take away.
struct FakeCueDevice : CueDevice {
  bool open(const std::string& name, int, DriftFollower& from) override {
    source = name == "absent" ? nullptr : &from;
    gone = false;
    return source;
  }
  void close() override { source = nullptr; }
  bool lost() const override { return gone; }
  DriftFollower* source = nullptr;
  bool gone = false;
};

// The headphones on a device of their own hear the cue bus; the master's output is the
// master mix of a system without headphones, bit for bit, before and after that device
// goes away. Set again, the device opens again; one that is not there stays silent.
TEST_F(CueBusTest, TheHeadphonesDeviceLeavesTheMasterAlone) {
  auto owned = std::make_unique<FakeCueDevice>();
  FakeCueDevice& fake = *owned;
  sys.useCueDevice(std::move(owned));
  SoundSystem plain;
  ASSERT_EQ(plain.init(4, Output::Manual), Result::Ok);
  Handle s = 0, c = 0;
  ASSERT_EQ(plain.createStream(dir->file("a440.wav"), s), Result::Ok);
  ASSERT_EQ(plain.playSound(s, false, c), Result::Ok);
  play("a440.wav");
  play("e660.wav", false, true);
  ASSERT_EQ(sys.setHeadphones(CueMode::Device, false, 0.0f, 1.0f), Result::Ok);
  EXPECT_EQ(sys.cueDeviceState(), DeviceState::Playing);
  std::vector<float> expected(1024 * 2), got(expected.size()), heard;
  double now = 0;  // the two devices' calls by one clock, as the master's output stamps them
  auto run = [&](int blocks) {
    for (int b = 0; b < blocks; ++b, now += 1024.0 / kRate) {
      plain.render(expected.data(), 1024);
      if (fake.source) fake.source->markTime(now);
      sys.render(got.data(), 1024);
      ASSERT_EQ(got, expected);
      for (int i = 0; fake.source && i < 4; ++i) {
        heard.resize(heard.size() + 512);
        fake.source->read(&heard[heard.size() - 512], 256, now + i * 256.0 / kRate);
      }
    }
  };
  run(30);
  heard.erase(heard.begin(), heard.begin() + 4096);  // the follower fills up first
  EXPECT_NEAR(at(heard, 660), 0.4, 0.01);
  EXPECT_LT(at(heard, 440), 1e-3);

  fake.gone = true;
  EXPECT_TRUE(sys.checkDevices());
  EXPECT_EQ(sys.cueDeviceState(), DeviceState::Lost);
  EXPECT_EQ(sys.masterDeviceState(), DeviceState::Closed);
  run(30);
  EXPECT_EQ(sys.setDevices("", ""), Result::Ok);
  EXPECT_EQ(sys.cueDeviceState(), DeviceState::Playing);
  EXPECT_NE(fake.source, nullptr);
  EXPECT_EQ(sys.setDevices("", "absent"), Result::Ok);
  EXPECT_EQ(sys.cueDeviceState(), DeviceState::Missing);
  run(5);
  sys.setHeadphones(CueMode::None, false, 0.0f, 1.0f);
  EXPECT_EQ(sys.cueDeviceState(), DeviceState::Closed);
}

// Through SDL's silent driver, whose one device has no name and opens once: a master asked
// for by a name that is not there plays on the default and says so, and a headphones'
// device that cannot open beside it is reported and stays shut.
TEST(CueDeviceTest, NamesThatAreNotThereFallBackOrStaySilent) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SoundSystem sys;
  ASSERT_EQ(sys.init(4, Output::Device, "no such device"), Result::Ok);
  unsetenv("SDL_AUDIODRIVER");
  EXPECT_EQ(sys.masterDeviceState(), DeviceState::Fallback);
  EXPECT_FALSE(sys.playbackDevices().empty());
  ASSERT_EQ(sys.setHeadphones(CueMode::Device, false, 0.0f, 1.0f), Result::Ok);
  EXPECT_EQ(sys.cueDeviceState(), DeviceState::Missing);
  EXPECT_EQ(sys.setDevices("", ""), Result::Ok);
  EXPECT_EQ(sys.masterDeviceState(), DeviceState::Playing);
  EXPECT_EQ(sys.cueDeviceState(), DeviceState::Missing);
  EXPECT_FALSE(sys.checkDevices());
}

}  // namespace

namespace {
// A track's level below its volume: the master and the headphones both hear it, the volume
// stays what it was, and a sound's level carries to the channels it starts.
TEST_F(CueBusTest, AStreamGainScalesBothBusesBelowTheVolume) {
  Handle s = 0, c = 0;
  ASSERT_EQ(sys.createStream(dir->file("a440.wav"), s), Result::Ok);
  ASSERT_EQ(sys.setSoundRoute(s, true, true), Result::Ok);
  ASSERT_EQ(sys.setSoundGain(s, 0.5f), Result::Ok);
  ASSERT_EQ(sys.playSound(s, false, c), Result::Ok);
  ASSERT_EQ(sys.setChannelVolume(c, 0.8f), Result::Ok);
  render(0.2);
  render(0.3);
  EXPECT_NEAR(at(out, 440), 0.4 * 0.8 * 0.5, 0.01);
  EXPECT_NEAR(at(cue, 440), 0.4 * 0.5, 0.01);
  float volume = 0;
  sys.channelVolume(c, volume);
  EXPECT_FLOAT_EQ(volume, 0.8f);
  ASSERT_EQ(sys.setChannelGain(c, 2.0f), Result::Ok);
  render(0.1);
  render(0.3);
  EXPECT_NEAR(at(out, 440), 0.4 * 0.8 * 2, 0.02);
  EXPECT_EQ(sys.setChannelGain(c, NAN), Result::InvalidParam);
}
}  // namespace

namespace {

// SDL's own headphones' device, on the driver that writes a file: it plays what the ring is
// fed, in time and at its pitch, and once closed it reads no more.
TEST(CueDeviceTest, TheSdlDevicePlaysWhatTheRingIsFedUntilItCloses) {
  constexpr int kRate = 44100, kBlock = 256;
  fixtures::TempDir dir;
  const std::string capture = dir.file("cue.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
  // The driver waits whole milliseconds a block: 5 for a 5.8 ms block would read faster than
  // the tone is fed, and play gaps; 6 reads a little slower, which the ring makes up for.
  setenv("SDL_DISKAUDIODELAY", "6", 1);
  DriftFollower ring(kRate);
  ASSERT_TRUE(ring.ok());
  std::unique_ptr<CueDevice> device = makeSdlCueDevice();
  const bool opened = device->open("", kRate, ring);
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_DISKAUDIODELAY");
  ASSERT_TRUE(opened);
  // Fed as the master's callback feeds it: a 440 Hz tone, a block at a time, in real time.
  std::vector<float> block(2 * kBlock);
  double phase = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int b = 0; b < 2 * kRate / kBlock; ++b) {
    for (int i = 0; i < kBlock; ++i, phase += 2 * M_PI * 440 / kRate)
      block[std::size_t(2 * i)] = block[std::size_t(2 * i + 1)] = 0.5f * float(std::sin(phase));
    ring.markTime(DriftFollower::clockSeconds());
    ring.write(block.data(), kBlock);
    std::this_thread::sleep_until(start +
                                  std::chrono::microseconds((b + 1) * kBlock * 1000000LL / kRate));
  }
  EXPECT_FALSE(device->lost());
  device->close();
  const std::uint64_t read = ring.framesRead();
  EXPECT_GT(read, std::uint64_t(kRate));  // most of the two seconds
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ring.framesRead(), read);

  const std::vector<float> out = fixtures::readCapture(capture);
  const std::size_t first = fixtures::firstSound(out);  // once the ring has filled to its delay
  ASSERT_GE(out.size() / 2, first + std::size_t(kRate * 11 / 10));
  // Judged on the best of a few fifths of a second: on a loaded machine the feeding thread
  // is late now and then, and the gap it leaves plays as silence.
  double bestHz = 0, levelThere = 0;
  for (int k = 0; k < 8; ++k) {
    const auto from = out.begin() + std::ptrdiff_t(2 * (first + std::size_t(k * kRate / 10)));
    const std::vector<float> part(from, from + 2 * kRate / 5);
    const double hz = fixtures::zeroCrossingHz(part, kRate);
    if (std::fabs(hz - 440) < std::fabs(bestHz - 440))
      bestHz = hz, levelThere = fixtures::rms(part);
  }
  EXPECT_NEAR(bestHz, 440.0, 5.0);  // the drift follower corrects by 1 % at most
  EXPECT_NEAR(levelThere, 0.5 / std::sqrt(2.0), 0.02);
}

}  // namespace
