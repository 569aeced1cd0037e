// Key lock's cost, in one run: two decks both key-locked at +6 % against the same two decks
// resampled alone (the plain varispeed), with the 15 bands and the chorus on the master.
// The output callback's work is timed block by block as in MixBench's BM_CallbackCost, in %
// of the 1024-frame block's length (locked_* and plain_*). The decoding side, where key lock
// shifts the pitch, is timed between the blocks as the decoder thread would do it: its cost
// per deck in % of one core (decode_locked_core_pct, decode_plain_core_pct) and what key
// lock adds to it (stretcher_core_pct). unshifted_blocks counts the blocks a locked deck
// had to play unshifted because the stretcher was late (an underrun of key lock).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Clocks.h"
#include "Smoke.h"
#include "media/AudioFixtures.h"
#include "platform/sound/Chorus.h"
#include "platform/sound/FileDecoder.h"
#include "platform/sound/Mixer.h"
#include "platform/sound/ParametricEq.h"
#include "platform/sound/Stream.h"

namespace {

double g_seconds = 60.0;
constexpr int kRate = 44100;
constexpr float kSpeed = 1.06f;

// Music of a kind: a drum loop under a chord that changes every two seconds.
const std::string& trackPath() {
  static fixtures::TempDir dir;
  static const std::string path = [] {
    const std::string p = dir.file("keylock.mp3");
    std::vector<double> music = fixtures::drumLoop(124, g_seconds);
    const double chords[3][3] = {{220, 277.2, 329.6}, {196, 246.9, 293.7}, {174.6, 220, 261.6}};
    for (std::size_t i = 0; i < music.size(); ++i) {
      const double t = double(i) / kRate;
      const auto* chord = chords[std::size_t(t / 2.0) % 3];
      for (int n = 0; n < 3; ++n) music[i] += 0.08 * std::sin(2 * M_PI * chord[n] * t);
    }
    fixtures::writeEncodedSamples(p, music);
    return p;
  }();
  return path;
}

struct Rig {
  explicit Rig(bool lock) : locked(lock), mixer(2, kRate) {
    for (int v = 0; v < 2; ++v) {
      auto decoder = std::make_unique<sound::FileDecoder>();
      decoder->open(trackPath());
      streams.push_back(std::make_unique<sound::Stream>(std::move(decoder), 44));
      streams.back()->setKeyLock(lock);
      streams.back()->setPlaybackFrequency(kRate * kSpeed);
      mixer.voice(v).start(streams.back().get(), 0, kRate * kSpeed, 0.7f, 0.0f, false);
    }
    for (int i = 0; i < 15; ++i) {
      units.push_back(std::make_unique<sound::ParametricEq>());
      units.back()->setParameter(sound::ParametricEq::Center, 32.0f * float(1 << (i / 2)));
      units.back()->setParameter(sound::ParametricEq::Gain, i % 2 ? 1.3f : 0.8f);
    }
    units.push_back(std::make_unique<sound::Chorus>());
    for (auto& u : units) mixer.postAdd(u.get());
  }
  bool playing() { return mixer.voice(0).busy() || mixer.voice(1).busy(); }
  // The blocks the callback is reading now that it took as decoded.
  void countUnshifted() {
    for (std::size_t i = 0; i < streams.size(); ++i) {
      const sound::BlockRing& ring = streams[i]->ring();
      if (ring.readable() == 0) continue;
      const sound::AudioBlock* b = ring.peek();
      if (b->take.load() == sound::AudioBlock::Decoded && b->startFrame != lastCounted[i]) {
        lastCounted[i] = b->startFrame;
        ++unshifted;
      }
    }
  }

  bool locked;
  sound::Mixer mixer;
  std::vector<std::unique_ptr<sound::Stream>> streams;
  std::vector<std::unique_ptr<sound::DspUnit>> units;
  std::vector<double> costs;
  double decodeCpu = 0;
  std::int64_t lastCounted[2] = {-1, -1};
  int unshifted = 0;
};

void BM_KeyLockCallbackCost(benchmark::State& state) {
  constexpr int kBlock = 1024;
  const double blockSeconds = double(kBlock) / kRate;
  std::vector<float> out(kBlock * 2);
  std::unique_ptr<Rig> rigs[2];
  double audio = 0;
  for (auto _ : state) {
    for (int r = 0; r < 2; ++r) rigs[r] = std::make_unique<Rig>(r == 0);
    audio = 0;
    for (bool playing = true; playing; audio += blockSeconds) {
      for (auto& rig : rigs) {
        const double d0 = benchclock::threadCpu();
        for (auto& s : rig->streams)
          while (s->produce()) {
          }
        const double c0 = benchclock::threadCpu();
        rig->decodeCpu += c0 - d0;
        rig->mixer.mix(out.data(), kBlock);
        rig->costs.push_back(benchclock::threadCpu() - c0);
        if (rig->locked) rig->countUnshifted();
        playing = playing && rig->playing();
      }
    }
  }
  auto share = [&](std::vector<double>& v, double q) {
    std::sort(v.begin(), v.end());
    return 100.0 * v[std::min(v.size() - 1, std::size_t(q * double(v.size())))] / blockSeconds;
  };
  for (int r = 0; r < 2; ++r) {
    const std::string name = r == 0 ? "locked_" : "plain_";
    state.counters[name + "p50_pct"] = share(rigs[r]->costs, 0.5);
    state.counters[name + "p99_pct"] = share(rigs[r]->costs, 0.99);
    state.counters[name + "max_pct"] = share(rigs[r]->costs, 1.0);
  }
  // Per deck, in % of one core over the audio played.
  const double locked = 100.0 * rigs[0]->decodeCpu / 2.0 / audio;
  const double plain = 100.0 * rigs[1]->decodeCpu / 2.0 / audio;
  state.counters["decode_locked_core_pct"] = locked;
  state.counters["decode_plain_core_pct"] = plain;
  state.counters["stretcher_core_pct"] = locked - plain;
  state.counters["unshifted_blocks"] = rigs[0]->unshifted;
}

}  // namespace

BENCHMARK(BM_KeyLockCallbackCost)->Unit(benchmark::kMillisecond)->Iterations(1);
int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) g_seconds = 3.0;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
