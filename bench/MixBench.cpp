// How fast one deck mixes with the whole effect chain, next to decoding alone, to the
// ffmpeg command line decoding the same file and to the sox command line running a like
// chain, all in one run. Each figure is a multiple of real time: x_realtime by the clock on
// the wall, x_realtime_cpu by the processor time spent (the fairer one on a busy machine;
// for the command lines, their own). BM_CallbackCost times the output callback's work
// alone, block by block, as a share of the block's length, beside the same with the
// headphones on a device of their own.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Clocks.h"
#include "Smoke.h"
#include "media/AudioFixtures.h"
#include "platform/sound/Chorus.h"
#include "platform/sound/DriftFollower.h"
#include "platform/sound/FileDecoder.h"
#include "platform/sound/Mixer.h"
#include "platform/sound/ParametricEq.h"
#include "platform/sound/SoundSystem.h"
#include "platform/sound/Stream.h"
#include "tracks/TrackAnalyser.h"

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

void report(benchmark::State& state, double audioSeconds, double wallSeconds, double cpuSeconds) {
  state.counters["x_realtime"] = audioSeconds / wallSeconds;
  state.counters["x_realtime_cpu"] = audioSeconds / cpuSeconds;
}

// The bands the benchmarks set, the same for our chain and for sox's.
float bandCentre(int i) {
  return 32.0f * float(1 << (i / 2)) * (i % 2 ? 1.4f : 1.0f);
}
float bandGain(int i) {
  return i % 2 ? 1.3f : 0.8f;
}

void BM_DecodeOnly(benchmark::State& state) {
  double audio = 0, wall = 0, cpu = 0;
  std::vector<float> buf(4096 * 2);
  for (auto _ : state) {
    const double w0 = benchclock::wall(), c0 = benchclock::processCpu();
    sound::FileDecoder dec;
    dec.open(trackPath());
    std::int64_t frames = 0;
    for (int n; (n = dec.read(buf.data(), 4096)) > 0;) frames += n;
    wall += benchclock::wall() - w0;
    cpu += benchclock::processCpu() - c0;
    audio += double(frames) / kRate;
  }
  report(state, audio, wall, cpu);
}

// One deck through 15 equaliser bands and the chorus, with a spectrum every 100 ms of
// audio; `pitch` 1000 is the track's own speed.
void BM_DeckFullChain(benchmark::State& state) {
  const double pitch = double(state.range(0)) / 1000.0;
  const int bandsOn = int(state.range(1));
  const bool chorusOn = state.range(2) != 0;
  double audio = 0, wall = 0, cpu = 0;
  std::vector<float> block(4410 * 2);
  std::vector<float> bands(64);
  for (auto _ : state) {
    sound::SoundSystem sys;
    // A chain that could not be built would time nothing: the run stops and says so.
    bool built = sys.init(3, sound::Output::Manual) == sound::Result::Ok;
    for (int i = 0; i < bandsOn; ++i) {
      sound::Handle eq = 0;
      built = built && sys.createDsp(sound::DspType::ParametricEq, eq) == sound::Result::Ok;
      sys.setDspParameter(eq, 0, bandCentre(i));
      sys.setDspParameter(eq, 2, bandGain(i));
      sys.addDsp(eq);
    }
    sound::Handle chorus = 0, s = 0, c = 0;
    built = built && sys.createDsp(sound::DspType::Chorus, chorus) == sound::Result::Ok;
    if (chorusOn) sys.addDsp(chorus);
    built = built && sys.createStream(trackPath(), s) == sound::Result::Ok;
    const double w0 = benchclock::wall(), c0 = benchclock::processCpu();
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
    wall += benchclock::wall() - w0;
    cpu += benchclock::processCpu() - c0;
    audio += double(frames) / kRate;
  }
  report(state, audio, wall, cpu);
}

// `heard` is the length of what the command puts out, in seconds: the track's length over
// its speed, as the deck's figures count what the deck puts out.
void runCommand(benchmark::State& state, const std::string& cmd, const char* missing,
                double heard) {
  double audio = 0, wall = 0, cpu = 0;
  for (auto _ : state) {
    const double w0 = benchclock::wall(), c0 = benchclock::childCpu();
    if (std::system(cmd.c_str()) != 0) {
      state.SkipWithError(missing);
      return;
    }
    wall += benchclock::wall() - w0;
    cpu += benchclock::childCpu() - c0;
    audio += heard;
  }
  report(state, audio, wall, cpu);
}

// The reference: ffmpeg's own command line decoding the same file to nothing.
void BM_FfmpegCliDecode(benchmark::State& state) {
  const std::string cmd = "ffmpeg -nostdin -v quiet -threads 1 -i '" + trackPath() + "' -f null -";
  runCommand(state, cmd, "ffmpeg is not installed", g_seconds);
}

// The reference for the chain: sox, on one thread, speeding the same file up by `pitch`
// (its own resampler at medium quality, about our converter's), through 15 peaking bands
// and a three-voice chorus, to nothing.
void BM_SoxCliChain(benchmark::State& state) {
  const double pitch = double(state.range(0)) / 1000.0;
  std::string cmd = "sox -q -D --single-threaded '" + trackPath() + "' -t f32 /dev/null";
  if (pitch != 1.0) cmd += " speed " + std::to_string(pitch) + " rate -m 44100";
  for (int i = 0; i < 15; ++i)
    cmd += " equalizer " + std::to_string(bandCentre(i)) + " 1o " +
           std::to_string(20.0 * std::log10(bandGain(i)));
  cmd += " chorus 0.5 0.5 40 0.5 0.8 2 -s 45 0.5 0.9 2 -s 50 0.5 0.7 2 -s";
  runCommand(state, cmd, "sox (with MP3 support) is not installed", g_seconds / pitch);
}

// Times `work` over noise in 256-frame stereo blocks, g_seconds of audio per iteration.
template <class Work>
void timeOverNoise(benchmark::State& state, Work work) {
  std::vector<float> block(256 * 2);
  unsigned noise = 1;
  double audio = 0, wall = 0, cpu = 0;
  for (auto _ : state) {
    const double w0 = benchclock::wall(), c0 = benchclock::processCpu();
    for (int b = 0; b < int(g_seconds * kRate / 256); ++b) {
      for (float& v : block) v = float((noise = noise * 1664525u + 1013904223u) >> 8) * 1e-8f;
      work(block.data(), 256);
    }
    wall += benchclock::wall() - w0;
    cpu += benchclock::processCpu() - c0;
    audio += g_seconds;
  }
  report(state, audio, wall, cpu);
}

// The 15 equaliser bands alone over noise, as the mixer runs them, in 256-frame blocks.
void BM_EqualiserBands(benchmark::State& state) {
  std::vector<std::unique_ptr<sound::ParametricEq>> units;
  std::vector<sound::ParametricEq*> bands;
  for (int i = 0; i < 15; ++i) {
    units.push_back(std::make_unique<sound::ParametricEq>());
    units.back()->setParameter(sound::ParametricEq::Center, bandCentre(i));
    units.back()->setParameter(sound::ParametricEq::Gain, bandGain(i));
    units.back()->prepare(kRate);
    bands.push_back(units.back().get());
  }
  timeOverNoise(state, [&](float* block, int frames) {
    sound::ParametricEq::processBands(bands.data(), 15, block, frames);
  });
}

// The chorus alone over noise, in 256-frame blocks.
void BM_ChorusAlone(benchmark::State& state) {
  sound::Chorus chorus;
  chorus.prepare(kRate);
  timeOverNoise(state, [&](float* block, int frames) { chorus.process(block, frames); });
}

// The output callback's set-up: both decks playing off their own pitch (so both resample),
// the preview at its own, the 15 bands and the chorus. With the headphones on a device of
// their own, both decks are sent to the cue as well and the preview to the cue alone: the
// master's callback then also mixes the headphones into the drift follower's ring.
struct CallbackRig {
  explicit CallbackRig(bool cue) : cueOn(cue), mixer(3, kRate), follower(kRate) {
    mixer.setCueSink(&follower);
    mixer.cueDevice = cue;
    const float pitch[3] = {1.06f, 0.97f, 1.0f};
    for (int v = 0; v < 3; ++v) {
      auto decoder = std::make_unique<sound::FileDecoder>();
      decoder->open(trackPath());
      streams.push_back(std::make_unique<sound::Stream>(std::move(decoder), 44));
      mixer.voice(v).start(streams.back().get(), 0, kRate * pitch[v], 0.8f, 0.0f, false,
                           !cue || v < 2, cue);
    }
    for (int i = 0; i < 15; ++i) {
      units.push_back(std::make_unique<sound::ParametricEq>());
      units.back()->setParameter(sound::ParametricEq::Center, bandCentre(i));
      units.back()->setParameter(sound::ParametricEq::Gain, bandGain(i));
    }
    units.push_back(std::make_unique<sound::Chorus>());
    for (auto& u : units) mixer.postAdd(u.get());
  }
  bool playing() { return mixer.voice(0).busy() || mixer.voice(1).busy(); }

  bool cueOn;
  sound::Mixer mixer;
  sound::DriftFollower follower;
  std::vector<std::unique_ptr<sound::Stream>> streams;
  std::vector<std::unique_ptr<sound::DspUnit>> units;
  std::vector<double> costs, wallCosts, cueCosts;
};

// The `q` quantile of `costs` (seconds), in % of a block of `blockSeconds`; sorts `costs`.
double blockShare(std::vector<double>& costs, double q, double blockSeconds) {
  std::sort(costs.begin(), costs.end());
  const std::size_t i = std::min(costs.size() - 1, std::size_t(q * double(costs.size())));
  return 100.0 * costs[i] / blockSeconds;
}

// The output callback's work, block by block, with the headphones off and on a device of
// their own, block for block in turn in one run: the median, the 99th percentile and the
// worst block, each in % of the 1024-frame block's length (cue_* with the headphones on).
// The decoding is done between the blocks, untimed, as the decoder thread does it.
// cue_vs_off compares the mean callbacks; cue_both_vs_off adds the headphones' device's
// callbacks (four of 256 frames a block, through the follower's resampler) to the master's.
void BM_CallbackCost(benchmark::State& state) {
  constexpr int kBlock = 1024, kCueBlock = 256;
  const double blockSeconds = double(kBlock) / kRate;
  std::vector<float> out(kBlock * 2), heard(kCueBlock * 2);
  std::unique_ptr<CallbackRig> rigs[2];
  for (auto _ : state) {
    for (int r = 0; r < 2; ++r) rigs[r] = std::make_unique<CallbackRig>(r == 1);
    double now = 0;
    for (bool playing = true; playing; now += blockSeconds) {
      for (auto& rig : rigs) {
        for (auto& s : rig->streams)
          while (s->produce()) {
          }
        const double w0 = benchclock::wall(), c0 = benchclock::threadCpu();
        if (rig->cueOn) rig->follower.markTime(now);
        rig->mixer.mix(out.data(), kBlock);
        const double c1 = benchclock::threadCpu();
        rig->costs.push_back(c1 - c0);
        rig->wallCosts.push_back(benchclock::wall() - w0);
        for (int i = 0; rig->cueOn && i < kBlock / kCueBlock; ++i)
          rig->follower.read(heard.data(), kCueBlock, now + i * double(kCueBlock) / kRate);
        rig->cueCosts.push_back(benchclock::threadCpu() - c1);
        playing = playing && rig->playing();
      }
    }
  }
  auto mean = [](const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return sum / double(std::max<std::size_t>(v.size(), 1));
  };
  const double off = mean(rigs[0]->costs), on = mean(rigs[1]->costs);
  state.counters["cue_vs_off"] = on / off;
  state.counters["cue_both_vs_off"] = (on + mean(rigs[1]->cueCosts)) / off;
  // By the thread's processor time (the work), and by the wall clock (which also counts
  // the time the thread waited for a core on a busy machine).
  auto share = [&](std::vector<double>& v, double q) { return blockShare(v, q, blockSeconds); };
  for (int r = 0; r < 2; ++r) {
    const std::string name = r ? "cue_" : "";
    state.counters[name + "p50_pct"] = share(rigs[r]->costs, 0.5);
    state.counters[name + "p99_pct"] = share(rigs[r]->costs, 0.99);
    state.counters[name + "max_pct"] = share(rigs[r]->costs, 1.0);
    state.counters[name + "p99_wall_pct"] = share(rigs[r]->wallCosts, 0.99);
  }
}

// A music-like track for the analysis: a drum loop at 124 BPM under a tune stepping every
// half second.
const std::string& musicPath() {
  static fixtures::TempDir dir;
  static const std::string path = [] {
    const std::string p = dir.file("music.mp3");
    fixtures::writeEncodedSamples(p, fixtures::drumsUnderATune(g_seconds));
    return p;
  }();
  return path;
}

// The track analysis as the analysis worker runs it: tracks::analyseTrack, track after track,
// on a thread of its own at nice 10 (or the nice given), while switched on; switching it off
// cancels the track under way.
class AnalysisLoad {
 public:
  explicit AnalysisLoad(int nice) : m_nice(nice), m_thread([this] { run(); }) {}
  ~AnalysisLoad() {
    switchTo(false, true);
    m_thread.join();
  }
  void switchTo(bool on, bool ending = false) {
    {
      std::lock_guard lock(m_mutex);
      m_on = on;
      m_ending = ending;
      m_cancel = !on;
    }
    m_wake.notify_one();
  }
  int analysed() const { return m_analysed; }
  double cpuSeconds() const { return double(m_cpuMicros) * 1e-6; }

 private:
  void run() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), m_nice);
    std::unique_lock lock(m_mutex);
    while (true) {
      m_wake.wait(lock, [this] { return m_on || m_ending; });
      if (m_ending) return;
      lock.unlock();
      tracks::Analysis a;
      const double c0 = benchclock::threadCpu();
      if (tracks::analyseTrack(musicPath(), a, &m_cancel)) ++m_analysed;
      m_cpuMicros += std::int64_t((benchclock::threadCpu() - c0) * 1e6);
      lock.lock();
    }
  }

  const int m_nice;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_on = false, m_ending = false;
  std::atomic<bool> m_cancel{false};
  std::atomic<int> m_analysed{0};
  std::atomic<std::int64_t> m_cpuMicros{0};
  std::thread m_thread;
};

// The output callback's work as in BM_CallbackCost (headphones off), one pass over the track
// with the track analysis running on another thread and one without, the pair's order turned
// each iteration. Each pass's 99th percentile in % of the block, by the thread's processor
// time and (_wall) by the clock on the wall: min and median over the passes, and
// diff_pts, the median with analysis less the one without, in points of the block's budget;
// analysed counts the tracks the analysis finished. The argument is the analysis's nice: 10
// is the worker's; 0 shows what it costs when the analysis gets a core on a busy machine.
void BM_CallbackDuringAnalysis(benchmark::State& state) {
  constexpr int kBlock = 1024;
  const double blockSeconds = double(kBlock) / kRate;
  std::vector<float> out(kBlock * 2);
  musicPath();
  AnalysisLoad load(int(state.range(0)));
  std::vector<double> p99[2], p99Wall[2];  // [0] without analysis, [1] with it
  int pair = 0;
  double onWall = 0;
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const int on = (pair + k) % 2;
      CallbackRig rig(false);
      load.switchTo(on != 0);
      const double pass0 = benchclock::wall();
      while (rig.playing()) {
        for (auto& s : rig.streams)
          while (s->produce()) {
          }
        const double w0 = benchclock::wall(), c0 = benchclock::threadCpu();
        rig.mixer.mix(out.data(), kBlock);
        rig.costs.push_back(benchclock::threadCpu() - c0);
        rig.wallCosts.push_back(benchclock::wall() - w0);
      }
      load.switchTo(false);
      if (on) onWall += benchclock::wall() - pass0;
      p99[on].push_back(blockShare(rig.costs, 0.99, blockSeconds));
      p99Wall[on].push_back(blockShare(rig.wallCosts, 0.99, blockSeconds));
    }
    ++pair;
  }
  auto minMed = [&](const std::string& name, std::vector<double> v, double& median) {
    std::sort(v.begin(), v.end());
    state.counters[name + "_min"] = v.front();
    state.counters[name + "_med"] = median = v[v.size() / 2];
  };
  double med[4];
  minMed("off_p99", p99[0], med[0]);
  minMed("on_p99", p99[1], med[1]);
  minMed("off_p99_wall", p99Wall[0], med[2]);
  minMed("on_p99_wall", p99Wall[1], med[3]);
  state.counters["diff_pts"] = med[1] - med[0];
  state.counters["diff_wall_pts"] = med[3] - med[2];
  state.counters["analysed"] = load.analysed();
  // The analysis thread's processor time over the passes with it, in % of one core.
  state.counters["analysis_core_pct"] = 100.0 * load.cpuSeconds() / onWall;
}

}  // namespace

BENCHMARK(BM_FfmpegCliDecode)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SoxCliChain)->Arg(1000)->Arg(1060)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeckFullChain)
    ->Args({1000, 15, 1})
    ->Args({1060, 15, 1})
    ->Args({1000, 0, 0})
    ->Args({1000, 15, 0})
    ->Args({1000, 0, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_EqualiserBands)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ChorusAlone)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CallbackCost)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CallbackDuringAnalysis)->Arg(10)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(6);
int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) g_seconds = 2.0;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
