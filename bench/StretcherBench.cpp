// The stretchers key lock could use, side by side on the same signals: Rubber Band's R3
// (finer) and R2 (faster) engines in their real-time mode, as key lock runs them, and
// SoundTouch. Each shifts the pitch of stereo audio and keeps its length, by 1/1.06 for the
// music, as a deck at +6 % needs, and by 1/0.92 and 1/1.08 for a tone. Counters:
// core_pct, the processor time per second of stereo music, in % of one core; cents_worst,
// the worst pitch error of a 440 Hz tone at -8 % and +8 %; chord_off_db, how much of a held
// three-note chord's energy falls off its shifted notes (lower is cleaner: splices and
// phase errors put it there); click_spread_ms, how long a click is smeared over, from where
// it rises above -30 dB of its peak to where it falls below; delay_spread_ms, how far the
// clicks' places wander, once the stretcher's own reported delay is taken out.
#include <benchmark/benchmark.h>
#include <rubberband/RubberBandStretcher.h>
#include <soundtouch/SoundTouch.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "Clocks.h"
#include "Smoke.h"
#include "media/AudioFixtures.h"

namespace {

constexpr int kRate = 44100;
double g_seconds = 20.0;
using Signal = std::vector<float>;  // interleaved stereo

Signal stereo(const std::vector<double>& mono) {
  Signal s(mono.size() * 2);
  for (std::size_t i = 0; i < mono.size(); ++i) s[2 * i] = s[2 * i + 1] = float(mono[i]);
  return s;
}

Signal shiftRubberBand(const Signal& in, double scale, bool finer) {
  using RB = RubberBand::RubberBandStretcher;
  RB rb(kRate, 2, RB::OptionProcessRealTime | (finer ? RB::OptionEngineFiner : 0), 1.0, scale);
  const std::size_t frames = in.size() / 2, pad = rb.getPreferredStartPad();
  std::size_t drop = rb.getStartDelay();
  Signal out;
  std::vector<float> l(4096), r(4096);
  auto take = [&] {
    for (int n; (n = rb.available()) > 0;) {
      float* o[2] = {l.data(), r.data()};
      const std::size_t got = rb.retrieve(o, std::min<std::size_t>(std::size_t(n), 4096));
      for (std::size_t i = 0; i < got; ++i)
        if (drop > 0)
          --drop;
        else
          out.insert(out.end(), {l[i], r[i]});
    }
  };
  std::fill(l.begin(), l.end(), 0.0f);
  const float* silence[2] = {l.data(), l.data()};
  rb.process(silence, pad, false);
  for (std::size_t at = 0; out.size() < in.size(); at += 1024) {
    for (std::size_t i = 0; i < 1024; ++i) {
      l[i] = at + i < frames ? in[2 * (at + i)] : 0.0f;
      r[i] = at + i < frames ? in[2 * (at + i) + 1] : 0.0f;
    }
    const float* p[2] = {l.data(), r.data()};
    rb.process(p, 1024, false);
    take();
  }
  out.resize(in.size());
  return out;
}

Signal shiftSoundTouch(const Signal& in, double scale) {
  soundtouch::SoundTouch st;
  st.setSampleRate(kRate);
  st.setChannels(2);
  st.setPitch(scale);
  auto drop = std::size_t(st.getSetting(SETTING_INITIAL_LATENCY));
  Signal out, block(2048), got(8192);
  for (std::size_t at = 0; out.size() < in.size(); at += 1024) {
    for (std::size_t i = 0; i < 2048; ++i) block[i] = 2 * at + i < in.size() ? in[2 * at + i] : 0;
    st.putSamples(block.data(), 1024);
    for (unsigned n; (n = st.receiveSamples(got.data(), 4096)) > 0;)
      for (unsigned i = 0; i < n; ++i)
        if (drop > 0)
          --drop;
        else
          out.insert(out.end(), {got[2 * i], got[2 * i + 1]});
  }
  out.resize(in.size());
  return out;
}

void fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2 * M_PI / double(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1);
      for (std::size_t j = 0; j < len / 2; ++j, w *= step) {
        const auto u = a[i + j], v = a[i + j + len / 2] * w;
        a[i + j] = u + v;
        a[i + j + len / 2] = u - v;
      }
    }
  }
}

// The energy more than 8 bins (43 Hz) away from every wanted note, in dB of the whole.
double offNotesDb(const Signal& s, const std::vector<double>& notes) {
  constexpr std::size_t kN = 8192;
  double sum = 0;
  int windows = 0;
  for (std::size_t at = kRate; at + kN < s.size() / 2; at += kN, ++windows) {
    std::vector<std::complex<double>> a(kN);
    for (std::size_t i = 0; i < kN; ++i)
      a[i] = s[2 * (at + i)] * (0.5 - 0.5 * std::cos(2 * M_PI * double(i) / kN));
    fft(a);
    double all = 0, off = 0;
    for (std::size_t k = 1; k < kN / 2; ++k) {
      const double hz = double(k) * kRate / kN;
      const bool near = std::any_of(notes.begin(), notes.end(),
                                    [&](double n) { return std::fabs(hz - n) < 8.0 * kRate / kN; });
      all += std::norm(a[k]);
      if (!near) off += std::norm(a[k]);
    }
    sum += 10 * std::log10(off / all + 1e-12);
  }
  return windows ? sum / windows : 0;
}

void BM_Stretcher(benchmark::State& state) {
  const int engine = int(state.range(0));  // 0 R3, 1 R2, 2 SoundTouch
  auto shift = [engine](const Signal& in, double scale) {
    return engine == 2 ? shiftSoundTouch(in, scale) : shiftRubberBand(in, scale, engine == 0);
  };
  const auto frames = std::size_t(g_seconds * kRate);
  std::vector<double> music = fixtures::drumLoop(124, g_seconds), tone(frames), chord(frames),
                      clicks(frames);
  const double notes[3] = {220, 277.18, 329.63};
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    tone[i] = 0.5 * std::sin(2 * M_PI * 440 * t);
    for (double n : notes) chord[i] += 0.2 * std::sin(2 * M_PI * n * t);
    music[i] += 0.4 * chord[i];
    clicks[i] = i % kRate > 0 && i % kRate < 20 ? 0.8 * (1 - double(i % kRate) / 20) : 0.0;
  }
  const Signal in = stereo(music);
  double cpu = 0;
  for (auto _ : state) {
    const double c0 = benchclock::threadCpu();
    benchmark::DoNotOptimize(shift(in, 1 / 1.06));
    cpu += benchclock::threadCpu() - c0;
  }
  state.counters["core_pct"] = 100.0 * cpu / double(state.iterations()) / g_seconds;
  double cents = 0;
  for (double speed : {0.92, 1.08}) {
    const Signal out = shift(stereo(tone), 1 / speed);
    const Signal steady(out.begin() + kRate, out.end());
    const double hz = fixtures::zeroCrossingHz(steady, kRate);
    cents = std::max(cents, std::fabs(1200 * std::log2(hz * speed / 440)));
  }
  state.counters["cents_worst"] = cents;
  state.counters["chord_off_db"] = offNotesDb(shift(stereo(chord), 1 / 1.06),
                                              {notes[0] / 1.06, notes[1] / 1.06, notes[2] / 1.06});
  const Signal out = shift(stereo(clicks), 1 / 1.06);
  double spread = 0, early = 1e9, late = -1e9;
  int counted = 0;
  for (std::size_t c = 1; (c + 1) * kRate < frames; ++c, ++counted) {
    const std::size_t from = c * kRate - kRate / 10, to = c * kRate + kRate / 10;
    std::size_t peak = from;
    for (std::size_t i = from; i < to; ++i)
      if (std::fabs(out[2 * i]) > std::fabs(out[2 * peak])) peak = i;
    const float floor = std::fabs(out[2 * peak]) * 0.0316f;
    std::size_t rise = from, fall = to;
    while (rise < peak && std::fabs(out[2 * rise]) < floor) ++rise;
    while (fall > peak && std::fabs(out[2 * fall]) < floor) --fall;
    spread += double(fall - rise) * 1000.0 / kRate;
    const double offset = (double(peak) - double(c * kRate)) * 1000.0 / kRate;
    early = std::min(early, offset);
    late = std::max(late, offset);
  }
  state.counters["click_spread_ms"] = counted ? spread / counted : 0;
  state.counters["delay_spread_ms"] = counted ? late - early : 0;
}

}  // namespace

BENCHMARK(BM_Stretcher)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);
int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) g_seconds = 3.0;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
