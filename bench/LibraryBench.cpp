// The library's big jobs beside the command-line tools that do the same work, in one run:
// loading 1,000,000 paths (grep -c ''), searching them (grep -Fci) and scanning a tree of
// 100,000 files (find). Loads and searches run in turn with their command, several pairs in
// one run, and report the minimum and median of each side.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "Smoke.h"
#include "library/LibraryPanel.h"
#include "media/AudioFixtures.h"

namespace {

int g_entries = 1000000;  // sizes shrink for a smoke run
int g_folders = 1000;
fixtures::TempDir* g_dir = nullptr;

const std::string& databaseFile() {
  static const std::string path = [] {
    const std::string p = g_dir->file("Database.txt");
    std::ofstream out(p, std::ios::binary);
    for (int i = 0; i < g_entries; ++i)
      out << "/home/user/Music/Artist " << (i % 5000) << "/Album " << (i % 37) << "/"
          << (i % 20 + 1) << " - Track Name " << i << (i % 3 ? ".mp3" : ".wma") << "\r\n";
    return p;
  }();
  return path;
}

const std::string& tree() {
  static const std::string root = [] {
    const std::string r = g_dir->file("tree");
    for (int d = 0; d < g_folders; ++d) {
      const std::string folder =
          r + "/genre" + std::to_string(d % 10) + "/artist" + std::to_string(d);
      QDir().mkpath(QString::fromStdString(folder));
      for (int f = 0; f < 100; ++f) {
        const char* ext = f % 4 == 0 ? ".jpg" : f % 4 == 1 ? ".wma" : ".mp3";
        std::ofstream(folder + "/track" + std::to_string(f) + ext);
      }
    }
    return r;
  }();
  return root;
}

double timed(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

long residentKb() {
  QFile f("/proc/self/status");
  f.open(QIODevice::ReadOnly);
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return 0;
}

// A library panel of its own on a window (offscreen platform), with the library file it reads.
struct NoPictures : ui::PictureSource {
  QPixmap picture(const QString&) override { return {}; }
};
// The decks and the playlist are not part of these measurements.
struct NoDecks : audio::DeckActions {
  Open OpenDeckTrack(const QByteArray&, int, bool) override { return Open::Refused; }
  void PlayDeck(int) override {}
  void StopDeck(int) override {}
  int SelectedDeck() const override { return 0; }
  void SelectDeck(int) override {}
  bool HasTrack(int) const override { return false; }
  float VolumeKnobTop(int) const override { return 0; }
  float VolumeTravel(int) const override { return 0; }
  void SetVolumeKnob(int, float) override {}
  void PlaceVolumeKnob(int, float) override {}
  PositionBar positionBar(int) const override { return {}; }
  Track TrackOf(int) const override { return {}; }
  void SetDeckPaused(int, bool) override {}
  bool SeekDeck(int, std::int64_t) override { return false; }
  double SetPitchSpeed(int, double) override { return 1; }
  void BendDeck(int, double) override {}
  float MasterLevel() const override { return 0; }
  void SetMasterLevel(float) override {}
};
struct NoPlaylist : library::PlaylistSink {
  bool SendTOlst(QByteArray&, int) override { return true; }
};
struct Panel {
  QWidget window;
  NoDecks decks;
  NoPlaylist playlist;
  ui::PanelMarker marker;
  ui::ControlOrder order;
  ui::Builder build{order};
  NoPictures pictures;
  library::LibraryFile file;
  platform::FileTypeChoice fileTypes;
  library::LibraryPanel lib{
      &window, file,     build,  pictures, QString::fromStdString(g_dir->file("DBFolder.tmp")),
      decks,   playlist, marker, fileTypes};
  library::LibraryWorker& worker = lib.worker();
  Panel() {
    window.resize(600, 500);
    window.show();
  }
};

void runCommand(benchmark::State& state, const std::string& cmd) {
  double spent = 0;
  for (auto _ : state)
    spent += timed([&] {
      if (std::system(cmd.c_str()) < 0) state.SkipWithError("command failed");
    });
  state.counters["s_per_run"] = spent / double(state.iterations());
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Runs a command without a shell, its output to a file: the reference pays for the program
// it runs and nothing more. Not to /dev/null: grep, seeing its output go there, stops at the
// first match, even with -c.
bool runQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t io;
  posix_spawn_file_actions_init(&io);
  static const std::string out = g_dir->file("command.out");
  posix_spawn_file_actions_addopen(&io, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, argv[0], &io, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&io);
  int status = 0;
  return failed == 0 && waitpid(pid, &status, 0) == pid;
}

// Our work and the command that does the same, in turn, kPairs times: the machine's drift
// touches both alike. Reports each side's minimum and median in milliseconds and the ratio
// of the minimums.
constexpr int kPairs = 7;
void pairedWithCommand(benchmark::State& state, const std::function<void()>& ours,
                       const std::vector<std::string>& command) {
  std::vector<double> a, b;
  for (auto _ : state) {
    for (int i = 0; i < kPairs; ++i) {
      a.push_back(timed(ours) * 1e3);
      b.push_back(timed([&] {
                    if (!runQuietly(command)) state.SkipWithError("command failed");
                  }) *
                  1e3);
    }
  }
  state.counters["ours_min_ms"] = *std::min_element(a.begin(), a.end());
  state.counters["ours_med_ms"] = median(a);
  state.counters["ref_min_ms"] = *std::min_element(b.begin(), b.end());
  state.counters["ref_med_ms"] = median(b);
  state.counters["ratio_min"] = state.counters["ours_min_ms"] / state.counters["ref_min_ms"];
}

// Until the window's list holds every entry, beside grep -c '', the window taking each
// batch as it comes.
void BM_LoadVsGrepCount(benchmark::State& state) {
  databaseFile();
  Panel panel;
  panel.file.path = QString::fromStdString(databaseFile());
  pairedWithCommand(state,
                    [&] {
                      panel.lib.lists().LoadBaseDa();
                      panel.worker.follow(600000);
                    },
                    {"grep", "-c", "", databaseFile()});
  state.counters["entries"] = panel.lib.libraryModel().count();
  state.counters["resident_MB"] = double(residentKb()) / 1024.0;
}

// The worker's reading alone.
void BM_LoadWorkerOnly(benchmark::State& state) {
  databaseFile();
  Panel panel;
  panel.file.path = QString::fromStdString(databaseFile());
  double spent = 0;
  for (auto _ : state)
    spent += timed([&] {
      panel.lib.lists().LoadBaseDa();
      panel.worker.waitIdle(600000);
    });
  panel.worker.drain(600000);
  state.counters["s_per_run"] = spent / double(state.iterations());
}

// Until the result list holds every hit, beside grep -Fci with the same text: a rare one
// (200 hits), a common one (2 in 3 paths) and one letter (every path). The window takes what
// the worker sends as it comes, as in the program; also reported: how long the first rows
// take to reach the list.
const char* const kNeedles[] = {"artist 4999/", ".mp3", "a"};
void BM_SearchVsGrep(benchmark::State& state) {
  const std::string needle = kNeedles[state.range(0)];
  Panel panel;
  panel.file.path = QString::fromStdString(databaseFile());
  panel.lib.lists().LoadBaseDa();
  panel.worker.drain(600000);
  std::vector<double> firstRows;
  auto search = [&] {
    const auto t0 = std::chrono::steady_clock::now();
    QString text = QString::fromStdString(needle).toUpper();
    panel.lib.lists().BuscarinBase2(text);
    while (panel.lib.resultModel().count() == 0 && !panel.worker.follow(1)) {
    }
    firstRows.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() * 1e3);
    panel.worker.follow(600000);
  };
  pairedWithCommand(state, search, {"grep", "-Fci", needle, databaseFile()});
  state.counters["first_rows_med_ms"] = median(firstRows);
  state.counters["hits"] = panel.lib.lists().lastHits();
  state.SetLabel(needle);
}

// A library whose every track has tags, searched for an artist, beside grep -Fci on a text
// file of the same paths and tags; also the memory the program holds with all of it.
void BM_TagSearchVsGrep(benchmark::State& state) {
  Panel panel;
  library::TrackFactsTable facts;
  panel.lib.showFacts(facts);
  const std::string fields = g_dir->file("fields.txt");
  {
    std::ifstream in(databaseFile(), std::ios::binary);
    std::ofstream out(fields, std::ios::binary);
    library::TrackFactsStore all;
    library::TrackFactsTable::SearchTexts texts;
    std::string path;
    for (int i = 0; std::getline(in, path); ++i) {
      if (!path.empty() && path.back() == '\r') path.pop_back();
      const std::string artist = "Singer " + std::to_string(i % 7000),
                        title = "Song Title " + std::to_string(i),
                        album = "Record " + std::to_string(i % 997);
      out << path << '\t' << artist << '\t' << title << '\t' << album << '\n';
      texts.emplace_back(library::TagIndex::keyOf(path),
                         library::TagIndex::searchText(artist, title, album));
      all.put(path, artist, title, album, {{}, {}, {}, 200000, 120.0});
    }
    facts.setAll(std::move(all), std::move(texts));
  }
  panel.file.path = QString::fromStdString(databaseFile());
  panel.lib.lists().LoadBaseDa();
  panel.worker.drain(600000);
  auto search = [&] {
    QString text = QStringLiteral("SINGER 6999");
    panel.lib.lists().BuscarinBase2(text);
    panel.worker.follow(600000);
  };
  search();  // the first search lays the tags out beside the library
  pairedWithCommand(state, search, {"grep", "-Fci", "singer 6999", fields});
  state.counters["hits"] = panel.lib.lists().lastHits();
  state.counters["resident_MB"] = double(residentKb()) / 1024.0;
}

void BM_Reference_Find(benchmark::State& state) {
  runCommand(state,
             "find '" + tree() + "' -type f \\( -iname '*.mp3' -o -iname '*.wma' \\) > /dev/null");
}

void BM_ScanFolder(benchmark::State& state) {
  tree();
  Panel panel;
  const QString db = QString::fromStdString(g_dir->file("scan.txt"));
  panel.file.path = db;
  library::FolderScanner& scanner = panel.lib.scanner();
  double spent = 0;
  for (auto _ : state) {
    QFile::remove(db);
    panel.lib.libraryModel().clear();
    spent += timed([&] {
      scanner.LISTTEMP = {QString::fromStdString(tree())};
      scanner.ObtenerFoldersx(0);
      panel.worker.drain(600000);
    });
  }
  state.counters["s_per_run"] = spent / double(state.iterations());
  state.counters["files"] = panel.lib.libraryModel().count();
}

}  // namespace

BENCHMARK(BM_LoadVsGrepCount)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadWorkerOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SearchVsGrep)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TagSearchVsGrep)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Reference_Find)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ScanFolder)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) {
    g_entries = 2000;
    g_folders = 10;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  fixtures::TempDir dir;
  g_dir = &dir;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
