// What the waveform overviews cost the window every 100 ms tick, beside what the spectra cost
// in the same run: both decks playing a 30-second track (so each knob moves about a pixel a
// tick), the tick's move of each played edge and the painting of the columns it passed (the
// bar, the overview and the knob), all timed. The spectra are timed as their tick draws (the
// figure of spectrum_bench) and with their pictures painted too. Budgets: 1 ms for the
// waveforms, 2 ms for the spectra. Drawing a track's overview once, when its summary arrives,
// is timed apart.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <chrono>
#include <cmath>
#include <memory>

#include "RealWindow.h"
#include "Smoke.h"
#include "app/MainX.h"
#include "media/AudioFixtures.h"

namespace {

int g_segments = 600;  // 30 s of tones; a few for a smoke run

// About a thousand points of a track with loud and quiet passages, as the analysis gives.
std::vector<std::uint8_t> summary() {
  std::vector<std::uint8_t> points;
  for (int i = 0; i < 1000; ++i) {
    const double level = 0.55 + 0.4 * std::sin(i * 0.031) * std::cos(i * 0.173);
    points.push_back(std::uint8_t(std::lround(255 * level)));
    points.push_back(std::uint8_t(std::lround(255 * level * 0.6)));
  }
  return points;
}

struct Player {
  fixtures::TempDir dir;
  std::unique_ptr<app::Program> program;
  app::MainX* main = nullptr;

  Player() {
    program = startRealWindow(dir.path());
    main = program->mainX();
    main->decks().waveforms().source = [](const std::string&) { return summary(); };
    std::vector<fixtures::Segment> tones;
    for (int i = 0; i < g_segments; ++i) tones.push_back({180.0 + 97.0 * (i % 40), 0.05});
    for (int d : {0, 1}) {
      const std::string path = dir.file("deck" + std::to_string(d) + ".wav");
      fixtures::writeWav(path, tones, 44100, 2, 0.02 + 0.03 * d);
      main->decks().engine().OpenDeckTrack(QByteArray::fromStdString(path), d, true);
    }
  }
  // One tick's worth of sound, and the knobs moved as the tick moves them.
  void advance() {
    std::vector<float> out(std::size_t(0.1 * 44100) * 2);
    program->engine().System.render(out.data(), out.size() / 2);
    main->decks().transport().MTimer_Timer();
    // Near its end a track starts again, so the knobs never stop.
    for (int d : {0, 1}) {
      const audio::DeckState& s = program->decks()[std::size_t(d)];
      if (s.PositionMs > s.LengthMs - 300) main->decks().engine().SeekDeck(d, 0);
    }
  }
};

Player* g_player = nullptr;  // made once, inside the application's lifetime

// Paints a deck's position bar where the tick changed it, as the window's repaint would:
// the bar's own picture, the overview and the knob over it, into an image like the window's
// buffer.
struct BarPainter {
  QImage buffer{QSize(400, 40), QImage::Format_ARGB32_Premultiplied};
  int paints = 0;
  void paint(QWidget* bar, const QRect& changed) {
    if (changed.isEmpty()) return;
    bar->render(&buffer, changed.topLeft(), QRegion(changed));
    ++paints;
  }
};

template <class Tick>
void timeTicks(benchmark::State& state, Tick tick) {
  Player& player = *g_player;
  for (auto _ : state) {
    player.advance();
    const auto t0 = std::chrono::steady_clock::now();
    tick();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
}

void BM_WaveformBothDecks(benchmark::State& state) {
  app::MainX& main = *g_player->main;
  audio::DeckWaveforms& w = main.decks().waveforms();
  BarPainter painter;
  timeTicks(state, [&] {
    int before[2] = {w.bar(0).playedTo(), w.bar(1).playedTo()};
    w.ticked();
    for (int d : {0, 1}) {
      const int now = w.bar(d).playedTo();
      painter.paint(main.deck(d).SLPos->container(),
                    QRect(std::min(now, before[d]), 0, std::abs(now - before[d]), 14));
    }
  });
  state.counters["paints_per_tick"] = double(painter.paints) / double(state.iterations());
}
void BM_SpectrumBothDecks(benchmark::State& state) {
  effects::SpectrumDisplay& fx = g_player->main->spectrum();
  timeTicks(state, [&fx] { fx.ticked(); });
}
void BM_SpectrumBothDecksPainted(benchmark::State& state) {
  app::MainX& main = *g_player->main;
  BarPainter painter;
  painter.buffer = QImage(QSize(400, 100), QImage::Format_ARGB32_Premultiplied);
  timeTicks(state, [&] {
    main.spectrum().ticked();
    for (int d : {0, 1}) {
      QWidget* pic = main.deck(d).SpectPic->container();
      painter.paint(pic, pic->rect());
    }
  });
}
// Once per track: both looks of the overview drawn from its summary.
void BM_WaveformNewTrack(benchmark::State& state) {
  audio::DeckWaveforms& w = g_player->main->decks().waveforms();
  for (auto _ : state) w.trackOpened(0);
}
// A fixed count: at a few microseconds a tick, a second of timed ticks would need hours of
// sound. A smoke run takes a few of each.
void registerBenchmarks(bool smoke) {
  auto timed = [smoke](benchmark::internal::Benchmark* b, int iterations, double minTime) {
    b->Unit(benchmark::kMicrosecond)->UseManualTime();
    if (smoke)
      b->Iterations(3);
    else if (iterations > 0)
      b->Iterations(iterations);
    else
      b->MinTime(minTime);
  };
  timed(benchmark::RegisterBenchmark("BM_WaveformBothDecks", BM_WaveformBothDecks), 3000, 0);
  timed(benchmark::RegisterBenchmark("BM_SpectrumBothDecks", BM_SpectrumBothDecks), 0, 1.0);
  timed(benchmark::RegisterBenchmark("BM_SpectrumBothDecksPainted", BM_SpectrumBothDecksPainted), 0,
        1.0);
  benchmark::RegisterBenchmark("BM_WaveformNewTrack", BM_WaveformNewTrack)
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
  const bool smoke = takeSmokeFlag(argc, argv);
  if (smoke) g_segments = 10;
  registerBenchmarks(smoke);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  Player player;
  g_player = &player;
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  return 0;
}
