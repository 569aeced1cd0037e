// What the spectrum display costs the window every 100 ms tick: both decks playing music
// with a rich spectrum, a full frame drawn for each (two passes on the stereo output), as
// the tick runs it. The figure to watch is the time per iteration; the budget is 2 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <memory>

#include "Smoke.h"
#include "app/MainX.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "media/AudioFixtures.h"

namespace {

int g_segments = 600;  // 30 s of tones; a few for a smoke run

struct Player {
  fixtures::TempDir dir;
  std::unique_ptr<app::Program> program;
  app::MainX* main = nullptr;

  Player() {
    program = std::make_unique<app::Program>(
        app::Program::Options{sound::Output::Manual,
                              [] {},
                              platform::AppPaths::under(QString::fromStdString(dir.path())),
                              {},
                              false});
    program->Main();
    program->startup().fistLoad_Timer();
    program->startup().tomain_Timer();
    main = program->mainX();
    // Quiet chords of many tones, so most bars stand within the picture and are drawn.
    std::vector<fixtures::Segment> tones;
    for (int i = 0; i < g_segments; ++i) tones.push_back({180.0 + 97.0 * (i % 40), 0.05});
    for (int d : {0, 1}) {
      const std::string path = dir.file("deck" + std::to_string(d) + ".wav");
      fixtures::writeWav(path, tones, 44100, 2, 0.02 + 0.03 * d);
      main->decks().engine().OpenDeckTrack(QByteArray::fromStdString(path), d, true);
    }
  }
  void play(double seconds) {
    std::vector<float> out(std::size_t(seconds * 44100) * 2);
    program->engine().System.render(out.data(), out.size() / 2);
  }
};

Player* g_player = nullptr;  // made once, inside the application's lifetime

void BM_SpectrumBothDecks(benchmark::State& state) {
  Player& player = *g_player;
  effects::SpectrumDisplay& fx = player.main->spectrum();
  for (auto _ : state) {
    player.play(0.01);  // new sound for each frame, as between two ticks
    // Only the frame is timed, not the mixing that feeds it.
    const auto t0 = std::chrono::steady_clock::now();
    fx.ticked();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
}
BENCHMARK(BM_SpectrumBothDecks)->Unit(benchmark::kMicrosecond)->UseManualTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) g_segments = 10;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  Player player;
  g_player = &player;
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  return 0;
}
