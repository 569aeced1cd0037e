#include "tracks/TrackDatabase.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/TrackAnalysis.h"
#include "media/AudioFixtures.h"
#include "support/MediaMutator.h"

namespace {

using tracks::TrackDatabase;
using tracks::TrackRecord;

TrackRecord fullRecord(const std::string& path) {
  TrackRecord r;
  r.path = path;
  r.size = 5'000'000'123;
  r.mtimeNs = 1'700'000'000'123'456'789;
  r.tags = {"Ärtist", "Title", "Album", "Genre", 1999, 7};
  r.analysis = {215'000, 128.5, 120, -9.25, -0.5, 40, 214'500, {1, 2, 3, 255, 0}};
  r.analysedAt = 1'700'000'100;
  return r;
}

// Every field, NAN as -1000 so that equal records compare equal.
auto fields(const TrackRecord& r, bool withWaveform = true) {
  const auto& a = r.analysis;
  auto real = [](double v) { return std::isnan(v) ? -1000 : v; };
  return std::make_tuple(r.path, r.size, r.mtimeNs, r.analysedAt, r.failed, r.tags.artist,
                         r.tags.title, r.tags.album, r.tags.genre, r.tags.year, r.tags.trackNo,
                         a.durationMs, real(a.bpm), a.beatOffsetMs, real(a.loudnessLufs),
                         real(a.peakDbfs), a.audibleStartMs, a.audibleEndMs,
                         withWaveform ? a.waveform : std::vector<std::uint8_t>{});
}

// The first row of `query` on the file, its columns joined with '|', as a script sees it.
std::string sql(const std::string& file, const std::string& query) {
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  std::string out;
  auto collect = [](void* o, int n, char** values, char**) {
    for (int i = 0; i < n; ++i)
      *static_cast<std::string*>(o) += (i ? "|" : "") + std::string(values[i] ? values[i] : "");
    return 1;
  };
  sqlite3_exec(db, query.c_str(), collect, &out, nullptr);
  sqlite3_close(db);
  return out;
}

TEST(TrackDatabaseTest, RoundTripsEveryColumnWithNullsForAbsentValuesAndSpotsStaleRows) {
  fixtures::TempDir dir;
  TrackDatabase db;
  ASSERT_EQ(db.open(dir.file("tracks.db")), "");
  const TrackRecord full = fullRecord("/m\xff\xfe/caf\xe9.mp3");  // not UTF-8
  TrackRecord empty;
  empty.path = "/a/empty.mp3";
  empty.failed = true;
  empty.analysis.durationMs = 3000;
  ASSERT_TRUE(db.put(fullRecord(full.path + "x")));
  ASSERT_TRUE(db.put(empty));
  TrackRecord older = full;
  older.tags.title = "Older";
  ASSERT_TRUE(db.put(older));
  ASSERT_TRUE(db.put(full));  // replaces it

  for (const TrackRecord& r : {full, empty}) {
    auto found = db.find(r.path, r.size, r.mtimeNs);
    ASSERT_TRUE(found);
    EXPECT_EQ(fields(*found), fields(r));
    EXPECT_EQ(db.waveform(r.path), r.analysis.waveform);
    EXPECT_FALSE(db.find(r.path, r.size + 1, r.mtimeNs)) << "size changed";
    EXPECT_FALSE(db.find(r.path, r.size - 1, r.mtimeNs)) << "size changed";
    EXPECT_FALSE(db.find(r.path, r.size, r.mtimeNs - 1)) << "mtime changed";
  }
  auto all = db.loadAll();
  ASSERT_EQ(all.size(), 3u);
  std::sort(all.begin(), all.end(), [](auto& a, auto& b) { return a.path < b.path; });
  EXPECT_EQ(fields(all[0]), fields(empty, false));
  EXPECT_EQ(fields(all[1]), fields(full, false));
  // What the program keeps of the rows at start: the lists' facts and the search's texts.
  auto kept = app::TrackAnalysis::readFacts(db);
  ASSERT_EQ(kept.all.size(), 3u);
  const auto facts = kept.all.find(full.path);
  ASSERT_TRUE(facts);
  EXPECT_EQ(std::tie(facts->artist, facts->album, facts->durationMs, facts->firstBeatMs),
            std::make_tuple(QString("Ärtist"), QString("Album"), 215'000, 120));
  EXPECT_EQ(std::tie(facts->bpm, facts->audibleStartMs), std::make_tuple(128.5, 40));
  EXPECT_FLOAT_EQ(float(facts->loudnessLufs), -9.25f);
  const auto failed = kept.all.find(empty.path);
  ASSERT_TRUE(failed);
  EXPECT_EQ(std::tie(failed->durationMs, failed->bpm, failed->audibleEndMs),
            std::make_tuple(3000, 0.0, -1));
  ASSERT_EQ(kept.texts.size(), 2u);  // the failed row has no tags
  for (const auto& [key, text] : kept.texts) EXPECT_EQ(text, "Ärtist\nTitle\nAlbum");

  const std::string file = dir.file("tracks.db");
  EXPECT_EQ(sql(file, "PRAGMA user_version"), "1");
  EXPECT_EQ(sql(file, "PRAGMA journal_mode"), "wal");
  EXPECT_EQ(sql(file,
                "SELECT typeof(path), size, artist IS NULL, year IS NULL, track_no IS NULL,"
                " duration_ms, bpm IS NULL, loudness_lufs IS NULL, peak_dbfs IS NULL,"
                " waveform IS NULL, failed FROM tracks"
                " WHERE path = CAST('/a/empty.mp3' AS BLOB)"),
            "blob|0|1|1|1|3000|1|1|1|1|1");
  EXPECT_EQ(sql(file,
                "SELECT count(*) FROM tracks WHERE artist = 'Ärtist' AND bpm = 128.5 AND "
                "mtime = 1700000000123456789 AND length(waveform) = 5"),
            "2");
}

TEST(TrackDatabaseTest, AnUnusableFileIsMovedAsideAndANewOneMade) {
  // A database of ours changed by a later version or a script, another program's, noise.
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"newer", "PRAGMA user_version = 2"},
      {"more columns", "ALTER TABLE tracks ADD COLUMN rating INTEGER"},
      {"another program's", "DROP TABLE tracks; PRAGMA user_version = 0; CREATE TABLE songs (a);"},
      {"noise", nullptr},
  };
  for (const auto& [name, script] : cases) {
    SCOPED_TRACE(name);
    fixtures::TempDir dir;
    const std::string file = dir.file("tracks.db");
    if (script) {
      ASSERT_EQ(TrackDatabase().open(file), "");
      sql(file, script);
    } else {
      fixtures::writeRandom(file, 10000);
    }
    fixtures::writeBytes(file + ".broken", {'o', 'l', 'd'});
    const fixtures::Bytes before = fixtures::readBytes(file);
    TrackDatabase db;
    ASSERT_EQ(db.open(file), "");
    EXPECT_EQ(fixtures::readBytes(file + ".broken"), before);
    ASSERT_TRUE(db.put(fullRecord("/x.mp3")));
    db.close();
    ASSERT_EQ(db.open(file), "");  // a good file stays
    EXPECT_TRUE(db.find("/x.mp3", fullRecord("").size, fullRecord("").mtimeNs));
  }
  fixtures::TempDir dir;
  fixtures::writeRandom(dir.file("file"), 10);
  TrackDatabase db;
  EXPECT_NE(db.open(dir.file("file/tracks.db")), "");
  EXPECT_FALSE(db.isOpen());
  EXPECT_FALSE(db.put(fullRecord("/x.mp3")));
  EXPECT_TRUE(db.loadAll().empty());
}

TEST(TrackDatabaseTest, AKilledWriterLosesAtMostTheRowItWasWriting) {
  fixtures::TempDir dir;
  const std::string file = dir.file("tracks.db");
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    TrackDatabase db;
    if (!db.open(file).empty()) _exit(1);
    for (int i = 0;; ++i) {
      TrackRecord r = fullRecord("/t/" + std::to_string(i));
      r.tags.title = std::to_string(i);
      r.analysis.waveform.assign(2000, static_cast<std::uint8_t>(i));
      if (!db.put(r) || write(fds[1], &i, sizeof i) != sizeof i) _exit(1);
    }
  }
  close(fds[1]);
  int committed = -1, n = 0;
  while (committed < 300 && read(fds[0], &n, sizeof n) == sizeof n) committed = n;
  kill(child, SIGKILL);
  while (read(fds[0], &n, sizeof n) == sizeof n) committed = n;
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_GE(committed, 300);

  TrackDatabase db;
  ASSERT_EQ(db.open(file), "");
  EXPECT_FALSE(std::filesystem::exists(file + ".broken"));
  const auto rows = db.loadAll();
  EXPECT_GE(rows.size(), std::size_t(committed) + 1);
  EXPECT_LE(rows.size(), std::size_t(committed) + 2);
  for (int i = 0; i <= committed; i += 37) {
    auto r = db.find("/t/" + std::to_string(i), fullRecord("").size, fullRecord("").mtimeNs);
    ASSERT_TRUE(r) << i;
    EXPECT_EQ(r->tags.title, std::to_string(i));
    EXPECT_EQ(r->analysis.waveform, std::vector<std::uint8_t>(2000, std::uint8_t(i)));
  }
}

}  // namespace
