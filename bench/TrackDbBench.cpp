// The track database at library size: loading 1,000,000 rows (waveforms in the file, not
// loaded) as records and as what the program keeps of them, the same columns read by a scan
// of the table instead of its row index, one row found, and one row written in its own
// transaction. Then the tags of 10,000 MP3 files read beside reading their first 64 KB.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include "Clocks.h"
#include "Smoke.h"
#include "app/TrackAnalysis.h"
#include "media/AudioFixtures.h"
#include "tracks/TagReader.h"
#include "tracks/TrackDatabase.h"

namespace {

int g_rows = 1000000;  // shrinks for a smoke run
int g_files = 10000;
fixtures::TempDir* g_dir = nullptr;

tracks::TrackRecord row(int i) {
  tracks::TrackRecord r;
  r.path = "/home/user/Music/Artist " + std::to_string(i % 5000) + "/Album " +
           std::to_string(i % 37) + "/" + std::to_string(i % 20 + 1) + " - Track Name " +
           std::to_string(i) + ".mp3";
  r.size = 4'000'000 + i;
  r.mtimeNs = 1'600'000'000'000'000'000 + i;
  r.tags = {"Artist " + std::to_string(i % 5000),
            "Track Name " + std::to_string(i),
            "Album " + std::to_string(i % 37),
            "Electronic",
            2000 + i % 25,
            i % 20 + 1};
  r.analysis = {200'000 + i, 120.0 + i % 40,
                150,         -9.5,
                -0.3,        20,
                199'000,     std::vector<std::uint8_t>(2000, static_cast<std::uint8_t>(i))};
  r.analysedAt = 1'700'000'000;
  return r;
}

// Filled once: the rows go in one transaction, through the database's own statement.
tracks::TrackDatabase& database() {
  static tracks::TrackDatabase* db = [] {
    auto* d = new tracks::TrackDatabase;
    const std::string file = g_dir->file("tracks.db");
    if (!d->open(file).empty()) std::abort();
    d->close();
    sqlite3* raw = nullptr;
    sqlite3_open(file.c_str(), &raw);
    sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* put = nullptr;
    sqlite3_prepare_v2(raw,
                       "INSERT INTO tracks VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
                       "?12, ?13, ?14, ?15, ?16, ?17, ?18, 0)",
                       -1, &put, nullptr);
    for (int i = 0; i < g_rows; ++i) {
      const tracks::TrackRecord r = row(i);
      const auto& t = r.tags;
      const auto& a = r.analysis;
      sqlite3_bind_blob(put, 1, r.path.data(), int(r.path.size()), SQLITE_TRANSIENT);
      sqlite3_bind_int64(put, 2, r.size);
      sqlite3_bind_int64(put, 3, r.mtimeNs);
      int col = 4;
      for (const std::string* s : {&t.artist, &t.title, &t.album, &t.genre})
        sqlite3_bind_text(put, col++, s->data(), int(s->size()), SQLITE_TRANSIENT);
      for (std::int64_t v : {std::int64_t(t.year), std::int64_t(t.trackNo), a.durationMs})
        sqlite3_bind_int64(put, col++, v);
      sqlite3_bind_double(put, col++, a.bpm);
      sqlite3_bind_int64(put, col++, a.beatOffsetMs);
      sqlite3_bind_double(put, col++, a.loudnessLufs);
      sqlite3_bind_double(put, col++, a.peakDbfs);
      sqlite3_bind_int64(put, col++, a.audibleStartMs);
      sqlite3_bind_int64(put, col++, a.audibleEndMs);
      sqlite3_bind_blob(put, col++, a.waveform.data(), int(a.waveform.size()), SQLITE_TRANSIENT);
      sqlite3_bind_int64(put, col++, r.analysedAt);
      sqlite3_step(put);
      sqlite3_reset(put);
    }
    sqlite3_finalize(put);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    if (!d->open(file).empty()) std::abort();
    return d;
  }();
  return *db;
}

void BM_LoadAll(benchmark::State& state) {
  auto& db = database();
  for (auto _ : state) {
    auto rows = db.loadAll();
    if (rows.size() != std::size_t(g_rows)) state.SkipWithError("rows missing");
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["rows"] = g_rows;
}

// What loadAll() would cost without its index: the table's pages hold the waveforms.
void BM_Reference_TableScan(benchmark::State& state) {
  database();
  sqlite3* raw = nullptr;
  sqlite3_open(g_dir->file("tracks.db").c_str(), &raw);
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw,
                       "SELECT path, size, mtime, artist, title, album, genre, year, track_no, "
                       "duration_ms, bpm, beat_offset_ms, loudness_lufs, peak_dbfs, "
                       "audible_start_ms, audible_end_ms, analysed_at, failed FROM tracks "
                       "NOT INDEXED",
                       -1, &stmt, nullptr);
    std::size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
      for (int c = 0; c < 18; ++c) bytes += std::size_t(sqlite3_column_bytes(stmt, c));
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(bytes);
  }
  sqlite3_close(raw);
}

void BM_Find(benchmark::State& state) {
  auto& db = database();
  std::mt19937 rng(1);
  for (auto _ : state) {
    const tracks::TrackRecord r = row(int(rng() % unsigned(g_rows)));
    if (!db.find(r.path, r.size, r.mtimeNs)) state.SkipWithError("row missing");
  }
}

void BM_Put(benchmark::State& state) {
  auto& db = database();
  int i = 0;
  for (auto _ : state) {
    tracks::TrackRecord r = row(i++ % g_rows);
    r.analysedAt += i;
    if (!db.put(r)) state.SkipWithError("put failed");
  }
}

long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  return 0;
}

// What the program holds once a library of analysed tracks is read at start: every row made
// into what the lists show (the store of facts) and what the search looks in (the tag index),
// as the loader thread and the library worker make them, five times over; each held until the
// next begins. Also the resident memory with one held, and its peak over the run.
void BM_LoadColumns(benchmark::State& state) {
  auto& db = database();
  std::vector<double> ms;
  for (auto _ : state)
    for (int i = 0; i < 5; ++i) {
      std::optional<library::TrackFactsTable> facts;
      std::optional<library::TagIndex> index;
      const double w0 = benchclock::wall();
      facts.emplace();
      index.emplace();
      app::TrackAnalysis::Facts read = app::TrackAnalysis::readFacts(db);
      index->setAll(std::move(read.texts));
      facts->setAll(std::move(read.all));
      ms.push_back((benchclock::wall() - w0) * 1e3);
      if (facts->size() != std::size_t(g_rows)) state.SkipWithError("rows missing");
      if (i == 4) state.counters["resident_MB"] = double(statusKb("VmRSS:")) / 1024.0;
    }
  std::sort(ms.begin(), ms.end());
  state.counters["min_ms"] = ms.front();
  state.counters["med_ms"] = ms[ms.size() / 2];
  state.counters["peak_MB"] = double(statusKb("VmHWM:")) / 1024.0;
}

// Tagged MP3 files of 10 s, as an encoder writes them: an ID3v2 tag, then the frames. Each
// file is a copy of its own, so that each has its own pages in the cache.
const std::vector<std::string>& mp3Files() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> out;
    const std::string first = g_dir->file("0.mp3");
    if (!fixtures::writeEncoded(first, {{440, 10}})) std::abort();
    std::string tag = "ffmpeg -v error -y -i ";
    tag.append(first).append(" -c copy -metadata artist=Artist -metadata title=Title ");
    tag.append("-metadata album=Album -metadata genre=Electronic -metadata date=2011 ");
    tag.append("-metadata track=7 ").append(g_dir->file("tagged.mp3"));
    if (std::system(tag.c_str()) != 0) std::abort();
    std::filesystem::create_directory(g_dir->file("mp3"));
    for (int i = 0; i < g_files; ++i) {
      out.push_back(g_dir->file("mp3/" + std::to_string(i) + ".mp3"));
      std::filesystem::copy_file(g_dir->file("tagged.mp3"), out.back());
    }
    // A library is in the cache because it was read from the disk, not because it was just
    // written: each copy's pages, as writing made them, are written out and dropped, and the
    // file read back whole. (Pages left by writing serve a 64 KB read a third faster.)
    std::vector<char> buffer(1 << 20);
    for (const std::string& f : out) {
      const int fd = ::open(f.c_str(), O_RDONLY);
      ::fdatasync(fd);
      ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
      while (::read(fd, buffer.data(), buffer.size()) > 0) {
      }
      ::close(fd);
    }
    return out;
  }();
  return files;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Every file's tags, then the first 64 KB of every file (what reading them from a warm cache
// cannot beat by much), in turn, kPairs times: the machine's drift touches both alike. Each
// figure is this thread's processor time. speed_ratio is the reference's time over ours: the
// speed of the tags' pass as a share of the plain reads'.
constexpr int kPairs = 7;
void BM_ReadTagsVsRead64K(benchmark::State& state) {
  const auto& files = mp3Files();
  std::vector<char> buffer(65536);
  auto tags = [&] {
    for (const std::string& f : files) {
      tracks::Tags t;
      std::int64_t ms = 0;
      if (!tracks::readTags(f, t, ms) || t.artist != "Artist" || ms < 9000)
        state.SkipWithError("tags");
    }
  };
  auto plain = [&] {
    for (const std::string& f : files) {
      const int fd = ::open(f.c_str(), O_RDONLY);
      benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
      ::close(fd);
    }
  };
  auto timed = [](const auto& f) {
    const double c0 = benchclock::threadCpu();
    f();
    return (benchclock::threadCpu() - c0) * 1e3;
  };
  std::vector<double> ours, ref;
  for (auto _ : state) {
    tags();
    plain();
    for (int i = 0; i < kPairs; ++i) {
      ours.push_back(timed(tags));
      ref.push_back(timed(plain));
    }
  }
  state.counters["files"] = double(files.size());
  state.counters["ours_min_ms"] = *std::min_element(ours.begin(), ours.end());
  state.counters["ours_med_ms"] = median(ours);
  state.counters["ref_min_ms"] = *std::min_element(ref.begin(), ref.end());
  state.counters["ref_med_ms"] = median(ref);
  state.counters["speed_ratio_min"] = state.counters["ref_min_ms"] / state.counters["ours_min_ms"];
  state.counters["speed_ratio_med"] = state.counters["ref_med_ms"] / state.counters["ours_med_ms"];
}

}  // namespace

BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadColumns)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Reference_TableScan)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Find)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Put)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadTagsVsRead64K)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
  if (takeSmokeFlag(argc, argv)) {
    g_rows = 1000;
    g_files = 3;
  }
  fixtures::TempDir dir;
  g_dir = &dir;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
