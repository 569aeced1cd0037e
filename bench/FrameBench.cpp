// The window's frames while the analysis worker measures a folder of tracks, beside the same
// without it, in turn in one run: the real window (started offscreen as the player starts it)
// with a 16 ms timer of its own, each tick painting the whole window into an image like its
// buffer. Per pass the 99th percentile, in ms, of the time between ticks (interval; 16 is on
// time), of the tick's lateness past 16 ms and of the paint; min and median over the passes,
// off_ without analysis and on_ with it. The worker is the player's own (nice 10), over
// copies of a music-like MP3 into a fresh database each pass; analysed_per_pass counts the
// tracks it stored.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>

#include "RealWindow.h"
#include "Smoke.h"
#include "app/MainX.h"
#include "media/AudioFixtures.h"
#include "tracks/AnalysisWorker.h"

namespace {

double g_seconds = 30.0;  // each track's length; a smoke run's are short
int g_tracks = 150;       // more than a pass can measure, so the analysis lasts the pass
int g_passMs = 4000;

struct Window {
  fixtures::TempDir dir;
  std::unique_ptr<app::Program> program;
  std::vector<std::string> tracks;

  Window() {
    program = startRealWindow(dir.path());
    // A drum loop at 124 BPM under a tune stepping every half second, copied g_tracks times.
    tracks.push_back(dir.file("track0.mp3"));
    fixtures::writeEncodedSamples(tracks[0], fixtures::drumsUnderATune(g_seconds));
    for (int i = 1; i < g_tracks; ++i) {
      tracks.push_back(dir.file("track" + std::to_string(i) + ".mp3"));
      std::filesystem::copy_file(tracks[0], tracks.back());
    }
  }
};

Window* g_window = nullptr;

struct Pass {
  std::vector<double> intervals, late, paints;  // ms
  std::atomic<int> analysed{0};
};

// One pass of ticks; with `analyse`, the worker measures every track meanwhile.
void runPass(bool analyse, int pass, Pass& p) {
  tracks::TrackDatabase db;
  std::unique_ptr<tracks::AnalysisWorker> worker;
  if (analyse) {
    db.open(g_window->dir.file("pass" + std::to_string(pass) + ".db"));
    tracks::AnalysisWorker::Hooks hooks;
    hooks.onResult = [&p](const tracks::TrackRecord&) { ++p.analysed; };
    worker = std::make_unique<tracks::AnalysisWorker>(db, std::move(hooks));
    worker->enqueue(g_window->tracks, tracks::Priority::Playlist);
  }
  QWidget* form = g_window->program->mainX()->form().container();
  QImage buffer(form->size(), QImage::Format_ARGB32_Premultiplied);
  QEventLoop loop;
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    if (last) {
      p.intervals.push_back(double(now - last) * 1e-6);
      p.late.push_back(std::max(0.0, double(now - last) * 1e-6 - 16.0));
    }
    last = now;
    form->render(&buffer);
    p.paints.push_back(double(clock.nsecsElapsed() - now) * 1e-6);
    if (now > qint64(g_passMs) * 1000000) loop.quit();
  });
  timer.start(16);
  loop.exec();
  if (worker) worker->shutdown();
}

double p99(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, std::size_t(0.99 * double(v.size())))];
}

void BM_FramesDuringAnalysis(benchmark::State& state) {
  std::vector<double> figures[2][3];  // [without, with][interval, late, paint]
  int pair = 0, analysed = 0;
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const int on = (pair + k) % 2;
      Pass p;
      runPass(on != 0, 2 * pair + k, p);
      analysed += p.analysed;
      figures[on][0].push_back(p99(p.intervals));
      figures[on][1].push_back(p99(p.late));
      figures[on][2].push_back(p99(p.paints));
    }
    ++pair;
  }
  state.counters["analysed_per_pass"] = double(analysed) / double(pair);
  const char* names[3] = {"interval", "late", "paint"};
  for (int on = 0; on < 2; ++on)
    for (int f = 0; f < 3; ++f) {
      std::vector<double> v = figures[on][f];
      std::sort(v.begin(), v.end());
      const std::string name = std::string(on ? "on_" : "off_") + names[f] + "_p99_ms";
      state.counters[name + "_min"] = v.front();
      state.counters[name + "_med"] = v[v.size() / 2];
    }
}
BENCHMARK(BM_FramesDuringAnalysis)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) g_seconds = 2.0, g_tracks = 2, g_passMs = 200;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  Window window;
  g_window = &window;
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  return 0;
}
