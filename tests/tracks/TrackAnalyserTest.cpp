#include <ebur128.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

#include "media/AudioFixtures.h"
#include "support/MediaMutator.h"
#include "tracks/LoudnessMeter.h"
#include "tracks/TrackAnalyser.h"
#include "tracks/WaveformBuilder.h"

namespace {

using fixtures::drumLoop;

tracks::Analysis analyse(const std::string& path) {
  tracks::Analysis a;
  EXPECT_TRUE(tracks::analyseTrack(path, a)) << path;
  return a;
}

std::vector<double> sine(double hz, double seconds, double amplitude, int rate, double phase = 0) {
  std::vector<double> v(std::size_t(seconds * rate));
  for (std::size_t i = 0; i < v.size(); ++i)
    v[i] = amplitude * std::sin(2 * M_PI * hz * double(i) / rate + phase);
  return v;
}

TEST(TrackAnalyserTest, TempoAndFirstBeatOfDrumsAndClicks) {
  fixtures::TempDir dir;
  struct Case {
    double bpm;
    bool hats;
    const char* ext;
  };
  const Case cases[] = {{72, true, ".wav"},   {96, false, ".wav"},  {128, true, ".wav"},
                        {150, false, ".wav"}, {174, true, ".wav"},  {72, false, ".wav"},
                        {128, true, ".mp3"},  {174, false, ".mp3"}, {166.2, false, ".wav"},
                        {177.3, true, ".wav"}};
  for (const Case& c : cases) {
    const std::string path =
        dir.file(std::to_string(int(c.bpm * 10)) + (c.hats ? "h" : "") + c.ext);
    const std::vector<double> loop = drumLoop(c.bpm, 20.0, 0.75, c.hats);
    if (std::string(c.ext) == ".wav")
      fixtures::writeWavSamples(path, loop);
    else
      ASSERT_TRUE(fixtures::writeEncodedSamples(path, loop));
    const tracks::Analysis a = analyse(path);
    EXPECT_NEAR(a.bpm, c.bpm, c.bpm * 0.0005) << path;
    EXPECT_NEAR(double(a.beatOffsetMs), 750.0, 20.0) << path;
  }
  // A steady tone, and noise, have no beat.
  fixtures::writeWav(dir.file("tone.wav"), {{440, 20}});
  EXPECT_EQ(analyse(dir.file("tone.wav")).bpm, 0.0);
  std::vector<double> noise(44100 * 20);
  unsigned seed = 1;
  for (double& v : noise) v = double((seed = seed * 1664525u + 1013904223u) >> 8) / 3.4e7 - 0.25;
  fixtures::writeWavSamples(dir.file("noise.wav"), noise);
  EXPECT_EQ(analyse(dir.file("noise.wav")).bpm, 0.0);
}

TEST(TrackAnalyserTest, LoudnessAndTruePeak) {
  fixtures::TempDir dir;
  // A stereo 1 kHz sine reads its level in dBFS plus the K-weighting's +0.69 dB at 1 kHz
  // less the 0.691 offset: amplitude 0.5 reads -6.02 LUFS. A sine at a quarter of the rate,
  // sampled 45 degrees off its crests, peaks 3 dB above its samples.
  struct Case {
    double hz, amplitude, phase;
    int rate;
    double lufs, peak;
  };
  const Case cases[] = {{1000, 0.5, 0, 44100, -6.02, -6.02},
                        {1000, 0.1, 0, 48000, -20.0, -20.0},
                        {11025, 0.5, M_PI / 4, 44100, NAN, -6.02},
                        {12000, 0.25, M_PI / 4, 48000, NAN, -12.04}};
  for (const Case& c : cases) {
    const std::string path = dir.file("sine" + std::to_string(int(c.hz)) + ".wav");
    fixtures::writeWavSamples(path, sine(c.hz, 5.0, c.amplitude, c.rate, c.phase), c.rate);
    const tracks::Analysis a = analyse(path);
    EXPECT_TRUE(std::isnan(c.lufs) || std::fabs(a.loudnessLufs - c.lufs) < 0.1) << a.loudnessLufs;
    EXPECT_NEAR(a.peakDbfs, c.peak, 0.15) << path;
  }
  // Broadband material against the reference meter: drums, and drums over a low hum; and a
  // tone, 16 dB less of it (below the relative gate), then a long hiss below the absolute
  // gate, which must not lower the relative one.
  std::vector<double> hum = drumLoop(120, 12, 0.5);
  const std::vector<double> low = sine(45, 12, 0.3, 44100);
  for (std::size_t i = 0; i < hum.size(); ++i) hum[i] = 0.6 * hum[i] + low[i];
  std::vector<double> hiss = sine(1000, 3, 0.1, 44100);
  for (double amplitude : {0.0158, 2e-4}) {
    const std::vector<double> more = sine(1000, amplitude < 1e-3 ? 20 : 3, amplitude, 44100);
    hiss.insert(hiss.end(), more.begin(), more.end());
  }
  for (const std::vector<double>& mono : {drumLoop(97, 12, 2.0), hum, hiss}) {
    std::vector<float> stereo;
    for (double v : mono) stereo.insert(stereo.end(), {float(v), float(0.7 * v)});
    tracks::LoudnessMeter meter(44100);
    ebur128_state* ref = ebur128_init(2, 44100, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    for (std::size_t i = 0; i < stereo.size(); i += 8192) {
      const auto n = std::min<std::size_t>(4096, stereo.size() / 2 - i / 2);
      meter.add(stereo.data() + i, int(n));
      ebur128_add_frames_float(ref, stereo.data() + i, n);
    }
    double lufs = 0, peak = 0;
    ebur128_loudness_global(ref, &lufs);
    ebur128_true_peak(ref, 0, &peak);
    ebur128_destroy(&ref);
    EXPECT_NEAR(meter.integratedLufs(), lufs, 0.05);
    EXPECT_NEAR(meter.truePeakDbfs(), 20 * std::log10(peak), 0.2);
  }
  // Silence has neither.
  fixtures::writeWav(dir.file("silence.wav"), {{0, 3}});
  const tracks::Analysis s = analyse(dir.file("silence.wav"));
  EXPECT_TRUE(std::isnan(s.loudnessLufs) && std::isnan(s.peakDbfs));
  EXPECT_EQ(s.durationMs, 3000);
}

TEST(TrackAnalyserTest, AudibleSpanDurationAndWaveform) {
  fixtures::TempDir dir;
  // Silence, a loud half, a quiet half, silence: 1 + 4 + 4 + 0.5 s.
  std::vector<double> mono(44100, 0.0);
  for (double amplitude : {0.8, 0.2}) {
    const std::vector<double> tone = sine(500, 4.0, amplitude, 44100);
    mono.insert(mono.end(), tone.begin(), tone.end());
  }
  mono.resize(mono.size() + 22050, 0.0);
  for (const char* name : {"span.wav", "span.mp3"}) {
    const std::string path = dir.file(name);
    if (name[5] == 'w')
      fixtures::writeWavSamples(path, mono);
    else
      ASSERT_TRUE(fixtures::writeEncodedSamples(path, mono));
    const tracks::Analysis a = analyse(path);
    EXPECT_NEAR(double(a.durationMs), 9500, 50) << name;
    EXPECT_NEAR(double(a.audibleStartMs), 1000, 20) << name;
    EXPECT_NEAR(double(a.audibleEndMs), 9000, 20) << name;
    ASSERT_NEAR(double(a.waveform.size()), 2000, 20) << name;
    const std::size_t points = a.waveform.size() / 2;
    const double tolerance = name[5] == 'w' ? 4 : 16;  // the encoder's tone comes out 5% low
    auto point = [&](double seconds, int which) {
      return int(a.waveform[2 * std::size_t(seconds / 9.5 * double(points)) + std::size_t(which)]);
    };
    for (auto [seconds, peak] : {std::pair{0.5, 0.0}, {3.0, 0.8}, {7.0, 0.2}, {9.3, 0.0}}) {
      EXPECT_NEAR(point(seconds, 0), peak * 255, tolerance) << name << " " << seconds;
      EXPECT_NEAR(point(seconds, 1), peak / std::sqrt(2.0) * 255, tolerance)
          << name << " " << seconds;
    }
  }
}

TEST(TrackAnalyserTest, BadFilesAndCancelFail) {
  fixtures::TempDir dir;
  tracks::Analysis a;
  fixtures::writeRandom(dir.file("noise.mp3"), 200000);
  std::ofstream(dir.file("empty.wav"));
  fixtures::writeWav(dir.file("header.wav"), {});
  for (const char* name : {"noise.mp3", "empty.wav", "header.wav", "missing.mp3"})
    EXPECT_FALSE(tracks::analyseTrack(dir.file(name), a)) << name;
  // Damaged files give an answer or a refusal, never a crash, a hang or a wild figure.
  fixtures::writeWavSamples(dir.file("drums.wav"), drumLoop(140, 7));
  ASSERT_TRUE(fixtures::writeEncodedSamples(dir.file("drums.mp3"), drumLoop(140, 7)));
  fixtures::MediaMutator mutator(11);
  for (const char* name : {"drums.wav", "drums.mp3"})
    for (int m = 0; m < fixtures::kMutationCount; ++m) {
      std::string what;
      fixtures::writeBytes(dir.file("bad"), mutator.mutate(fixtures::readBytes(dir.file(name)),
                                                           fixtures::Mutation(m), what));
      if (!tracks::analyseTrack(dir.file("bad"), a)) continue;
      EXPECT_TRUE(a.bpm == 0 || (a.bpm >= 69 && a.bpm <= 181)) << what << " " << a.bpm;
      EXPECT_TRUE(a.audibleStartMs <= a.audibleEndMs && a.audibleEndMs <= a.durationMs) << what;
      EXPECT_LE(a.waveform.size(), 2000u) << what;
    }
  // A cancel during the decode ends it within a few blocks.
  fixtures::writeWavSamples(dir.file("long.wav"), drumLoop(120, 120));
  std::atomic<bool> cancel{false};
  const auto start = std::chrono::steady_clock::now();
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cancel = true;
  });
  EXPECT_FALSE(tracks::analyseTrack(dir.file("long.wav"), a, &cancel));
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
}

}  // namespace

// A long track's buckets are merged in pairs, again and again: a single loud sample in any
// of them still shows, wherever it falls.
TEST(WaveformBuilderTest, ALoneSpikeSurvivesTheMerges) {
  for (std::int64_t at : {std::int64_t(64 + 5), std::int64_t(2'500'001)}) {
    tracks::WaveformBuilder builder;
    std::vector<float> block(2 * 4096, 0.0f);
    for (std::int64_t done = 0; done < 3'000'000; done += 4096) {
      std::fill(block.begin(), block.end(), 0.0f);
      if (at >= done && at < done + 4096) block[std::size_t(2 * (at - done) + 1)] = 1.0f;
      builder.add(block.data(), 4096);
    }
    const std::vector<std::uint8_t> points = builder.finish();
    int loudest = 0;
    for (std::size_t i = 0; i < points.size(); i += 2) loudest = std::max<int>(loudest, points[i]);
    EXPECT_EQ(loudest, 255) << at;
  }
}
