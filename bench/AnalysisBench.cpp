// What one track's analysis costs against decoding alone: analyseTrack on a generated
// three-minute MP3 (a drum loop under a slow tune) next to ffmpeg's command line decoding
// the same file to nothing, each run in the same iteration. x_realtime is seconds of audio
// per second of processor time (ours: this thread's; ffmpeg's: its own), ratio is our
// processor time over ffmpeg's; the _wall figures go by the clock on the wall.
// BM_DecodeOnly is the decoder alone, the share of the analysis that is decoding.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "Clocks.h"
#include "Smoke.h"
#include "media/AudioFixtures.h"
#include "platform/sound/FileDecoder.h"
#include "tracks/TrackAnalyser.h"

namespace {

double g_seconds = 180.0;  // a few seconds for a smoke run
constexpr int kRate = 44100;

const std::string& trackPath() {
  static fixtures::TempDir dir;
  static const std::string path = [] {
    const std::string p = dir.file("track.mp3");
    fixtures::writeEncodedSamples(p, fixtures::drumsUnderATune(g_seconds));
    return p;
  }();
  return path;
}

void BM_AnalyseVsFfmpeg(benchmark::State& state) {
  const std::string cmd = "ffmpeg -nostdin -v quiet -threads 1 -i '" + trackPath() + "' -f null -";
  double audio = 0, cpu = 0, wall = 0, ffCpu = 0, ffWall = 0;
  std::vector<double> ours, ref;
  for (auto _ : state) {
    const double oursBefore = cpu, refBefore = ffCpu;
    double w0 = benchclock::wall(), c0 = benchclock::threadCpu();
    tracks::Analysis a;
    if (!tracks::analyseTrack(trackPath(), a)) {
      state.SkipWithError("the generated track could not be analysed");
      return;
    }
    cpu += benchclock::threadCpu() - c0;
    wall += benchclock::wall() - w0;
    audio += double(a.durationMs) / 1000.0;
    w0 = benchclock::wall(), c0 = benchclock::childCpu();
    if (std::system(cmd.c_str()) != 0) {
      state.SkipWithError("ffmpeg is not installed");
      return;
    }
    ffCpu += benchclock::childCpu() - c0;
    ffWall += benchclock::wall() - w0;
    ours.push_back(cpu - oursBefore);
    ref.push_back(ffCpu - refBefore);
    state.counters["bpm"] = a.bpm;
  }
  // Each pair's processor times, in milliseconds.
  auto minOf = [](std::vector<double> v) { return *std::min_element(v.begin(), v.end()) * 1e3; };
  auto medianOf = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2] * 1e3;
  };
  state.counters["ours_min_ms"] = minOf(ours);
  state.counters["ours_med_ms"] = medianOf(ours);
  state.counters["ffmpeg_min_ms"] = minOf(ref);
  state.counters["ffmpeg_med_ms"] = medianOf(ref);
  state.counters["x_realtime"] = audio / cpu;
  state.counters["x_realtime_wall"] = audio / wall;
  state.counters["ffmpeg_x_realtime"] = audio / ffCpu;
  state.counters["ratio"] = cpu / ffCpu;
  state.counters["ratio_wall"] = wall / ffWall;
}

void BM_DecodeOnly(benchmark::State& state) {
  std::vector<float> buf(4096 * 2);
  double audio = 0, cpu = 0;
  for (auto _ : state) {
    const double c0 = benchclock::threadCpu();
    sound::FileDecoder dec;
    dec.open(trackPath());
    std::int64_t frames = 0;
    for (int n; (n = dec.read(buf.data(), 4096)) > 0;) frames += n;
    cpu += benchclock::threadCpu() - c0;
    audio += double(frames) / kRate;
  }
  state.counters["x_realtime"] = audio / cpu;
}

}  // namespace

BENCHMARK(BM_AnalyseVsFfmpeg)->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond)->Iterations(5);
int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) g_seconds = 3.0;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
