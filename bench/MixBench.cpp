// How fast one deck mixes with the whole effect chain, next to decoding alone and to the
// ffmpeg command line decoding the same file, all in one run. Each figure is reported as
// a multiple of real time (x_realtime).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Smoke.h"
#include "media/AudioFixtures.h"
#include "platform/sound/FileDecoder.h"
#include "platform/sound/SoundSystem.h"

namespace {

double g_seconds = 60.0;  // a few seconds for a smoke run
constexpr int kRate = 44100;

const std::string& trackPath() {
  static fixtures::TempDir dir;
  static const std::string path = [] {
    const std::string p = dir.file("bench.mp3");
    std::vector<fixtures::Segment> tones;
    for (int i = 0; i < int(g_seconds); ++i) tones.push_back({220.0 + 40.0 * (i % 12), 1.0});
    fixtures::writeEncoded(p, tones);
    return p;
  }();
  return path;
}

void report(benchmark::State& state, double audioSeconds, double cpuSeconds) {
  state.counters["x_realtime"] = audioSeconds / cpuSeconds;
}

void BM_DecodeOnly(benchmark::State& state) {
  double audio = 0, spent = 0;
  std::vector<float> buf(4096 * 2);
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    sound::FileDecoder dec;
    dec.open(trackPath());
    std::int64_t frames = 0;
    for (int n; (n = dec.read(buf.data(), 4096)) > 0;) frames += n;
    spent += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    audio += double(frames) / kRate;
  }
  report(state, audio, spent);
}

// One deck through 15 equaliser bands and the chorus, with a spectrum every 100 ms of
// audio; `pitch` 1000 is the track's own speed.
void BM_DeckFullChain(benchmark::State& state) {
  const double pitch = double(state.range(0)) / 1000.0;
  const int bandsOn = int(state.range(1));
  const bool chorusOn = state.range(2) != 0;
  double audio = 0, spent = 0;
  std::vector<float> block(4410 * 2);
  std::vector<float> bands(64);
  for (auto _ : state) {
    sound::SoundSystem sys;
    // A chain that could not be built would time nothing: the run stops and says so.
    bool built = sys.init(3, sound::Output::Manual) == sound::Result::Ok;
    for (int i = 0; i < bandsOn; ++i) {
      sound::Handle eq = 0;
      built = built && sys.createDsp(sound::DspType::ParametricEq, eq) == sound::Result::Ok;
      sys.setDspParameter(eq, 0, 32.0f * float(1 << (i / 2)) * (i % 2 ? 1.4f : 1.0f));
      sys.setDspParameter(eq, 2, i % 2 ? 1.3f : 0.8f);
      sys.addDsp(eq);
    }
    sound::Handle chorus = 0, s = 0, c = 0;
    built = built && sys.createDsp(sound::DspType::Chorus, chorus) == sound::Result::Ok;
    if (chorusOn) sys.addDsp(chorus);
    built = built && sys.createStream(trackPath(), s) == sound::Result::Ok;
    const auto t0 = std::chrono::steady_clock::now();
    if (!built || sys.playSound(s, false, c) != sound::Result::Ok) {
      state.SkipWithError("the mixing chain could not be built");
      break;
    }
    sys.setChannelFrequency(c, float(kRate * pitch));
    bool playing = true;
    std::size_t frames = 0;
    while (playing) {
      frames += sys.render(block.data(), 4410);
      sys.channelSpectrum(c, bands.data(), 64, 0, sound::Window::Triangle);
      sys.channelPlaying(c, playing);
    }
    spent += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    audio += double(frames) / kRate;
  }
  report(state, audio, spent);
}

// The reference: ffmpeg's own command line decoding the same file to nothing.
void BM_FfmpegCliDecode(benchmark::State& state) {
  const std::string cmd = "ffmpeg -nostdin -v quiet -threads 1 -i '" + trackPath() + "' -f null -";
  double audio = 0, spent = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) {
      state.SkipWithError("ffmpeg is not installed");
      return;
    }
    spent += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    audio += g_seconds;
  }
  report(state, audio, spent);
}

}  // namespace

BENCHMARK(BM_FfmpegCliDecode)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DeckFullChain)
    ->Args({1000, 15, 1})
    ->Args({1060, 15, 1})
    ->Args({1000, 0, 0})
    ->Args({1000, 15, 0})
    ->Args({1000, 0, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) g_seconds = 2.0;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
