#include "tracks/TrackDatabase.h"

#include <sqlite3.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace tracks {

namespace {

constexpr int kSchemaVersion = 1;

// Every column but the waveform, in the order the statements below read them.
constexpr const char* kRowColumns =
    "path, size, mtime, artist, title, album, genre, year, track_no, duration_ms, bpm, "
    "beat_offset_ms, loudness_lufs, peak_dbfs, audible_start_ms, audible_end_ms, analysed_at, "
    "failed";
constexpr std::array<std::string_view, 19> kTableColumns = {
    "path",           "size",      "mtime",
    "artist",         "title",     "album",
    "genre",          "year",      "track_no",
    "duration_ms",    "bpm",       "beat_offset_ms",
    "loudness_lufs",  "peak_dbfs", "audible_start_ms",
    "audible_end_ms", "waveform",  "analysed_at",
    "failed"};

// A waveform of 2 KB makes a row half a page, so a scan of the table reads the whole file.
// The index holds everything else, ten times denser: loadAll() reads only the index.
constexpr const char* kSchema =
    "CREATE TABLE tracks (path BLOB PRIMARY KEY, size INTEGER, mtime INTEGER, artist TEXT, "
    "title TEXT, album TEXT, genre TEXT, year INTEGER, track_no INTEGER, duration_ms INTEGER, "
    "bpm REAL, beat_offset_ms INTEGER, loudness_lufs REAL, peak_dbfs REAL, "
    "audible_start_ms INTEGER, audible_end_ms INTEGER, waveform BLOB, analysed_at INTEGER, "
    "failed INTEGER);";
constexpr const char* kRowIndex =
    "CREATE INDEX IF NOT EXISTS tracks_rows ON tracks(path, size, mtime, artist, title, album, "
    "genre, year, track_no, duration_ms, bpm, beat_offset_ms, loudness_lufs, peak_dbfs, "
    "audible_start_ms, audible_end_ms, analysed_at, failed);";

// A million rows are some 300 MB written once from start to end: in 2 MB pages the kernel
// takes 150 page faults for them instead of 70,000, a fifth of the load's time.
void adviseHugePages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = 2 << 20;
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

bool isBrokenFile(int code) {
  code &= 0xff;
  return code == SQLITE_CORRUPT || code == SQLITE_NOTADB || code == SQLITE_FORMAT;
}

struct OpenFailure {
  std::string message;
  bool broken = false;  // the file is unusable, as opposed to unreachable or locked
};

int exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// The first column of the first row of `sql` as an integer; the result code in `code`.
std::int64_t queryInt(sqlite3* db, const char* sql, int& code) {
  sqlite3_stmt* stmt = nullptr;
  std::int64_t value = 0;
  code = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (code == SQLITE_OK) {
    code = sqlite3_step(stmt);
    if (code == SQLITE_ROW) {
      value = sqlite3_column_int64(stmt, 0);
      code = SQLITE_OK;
    } else if (code == SQLITE_DONE) {
      code = SQLITE_OK;
    }
  }
  sqlite3_finalize(stmt);
  return value;
}

bool hasExpectedColumns(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA table_info(tracks)", -1, &stmt, nullptr) != SQLITE_OK)
    return false;
  std::size_t n = 0;
  bool same = true;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    same = same && n < kTableColumns.size() && name && kTableColumns[n] == name;
    ++n;
  }
  sqlite3_finalize(stmt);
  return same && n == kTableColumns.size();
}

void moveAside(const std::string& path) {
  const std::string broken = path + ".broken";
  // An older broken file's journal must not pair with the new one.
  std::remove((broken + "-wal").c_str());
  std::remove((broken + "-shm").c_str());
  if (std::rename(path.c_str(), broken.c_str()) != 0) std::remove(path.c_str());
  // A journal left beside a new file would be replayed into it.
  std::rename((path + "-wal").c_str(), (broken + "-wal").c_str());
  std::remove((path + "-shm").c_str());
}

std::string text(sqlite3_stmt* stmt, int col) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, col)))
           : std::string();
}

std::int64_t integer(sqlite3_stmt* stmt, int col) {
  return sqlite3_column_int64(stmt, col);
}

double real(sqlite3_stmt* stmt, int col, double absent) {
  return sqlite3_column_type(stmt, col) == SQLITE_NULL ? absent : sqlite3_column_double(stmt, col);
}

// Reads the columns of kRowColumns, from column 0.
TrackRecord readRow(sqlite3_stmt* stmt) {
  TrackRecord r;
  const auto* key = static_cast<const char*>(sqlite3_column_blob(stmt, 0));
  r.path.assign(key ? key : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
  r.size = integer(stmt, 1);
  r.mtimeNs = integer(stmt, 2);
  r.tags.artist = text(stmt, 3);
  r.tags.title = text(stmt, 4);
  r.tags.album = text(stmt, 5);
  r.tags.genre = text(stmt, 6);
  r.tags.year = static_cast<int>(integer(stmt, 7));
  r.tags.trackNo = static_cast<int>(integer(stmt, 8));
  Analysis& a = r.analysis;
  a.durationMs = integer(stmt, 9);
  a.bpm = real(stmt, 10, 0);
  a.beatOffsetMs = integer(stmt, 11);
  a.loudnessLufs = real(stmt, 12, NAN);
  a.peakDbfs = real(stmt, 13, NAN);
  a.audibleStartMs = integer(stmt, 14);
  a.audibleEndMs = integer(stmt, 15);
  r.analysedAt = integer(stmt, 16);
  r.failed = integer(stmt, 17) != 0;
  return r;
}

void bindText(sqlite3_stmt* stmt, int i, const std::string& s) {
  if (s.empty())
    sqlite3_bind_null(stmt, i);
  else
    sqlite3_bind_text(stmt, i, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
}

void bindInt(sqlite3_stmt* stmt, int i, std::int64_t v, bool present) {
  if (present)
    sqlite3_bind_int64(stmt, i, v);
  else
    sqlite3_bind_null(stmt, i);
}

void bindReal(sqlite3_stmt* stmt, int i, double v, bool present) {
  if (present && std::isfinite(v))
    sqlite3_bind_double(stmt, i, v);
  else
    sqlite3_bind_null(stmt, i);
}

void bindRecord(sqlite3_stmt* stmt, const TrackRecord& r) {
  const Analysis& a = r.analysis;
  const bool measured = !r.failed;
  const bool tempo = measured && a.bpm > 0;
  sqlite3_bind_blob(stmt, 1, r.path.data(), static_cast<int>(r.path.size()), SQLITE_STATIC);
  sqlite3_bind_int64(stmt, 2, r.size);
  sqlite3_bind_int64(stmt, 3, r.mtimeNs);
  bindText(stmt, 4, r.tags.artist);
  bindText(stmt, 5, r.tags.title);
  bindText(stmt, 6, r.tags.album);
  bindText(stmt, 7, r.tags.genre);
  bindInt(stmt, 8, r.tags.year, r.tags.year != 0);
  bindInt(stmt, 9, r.tags.trackNo, r.tags.trackNo != 0);
  bindInt(stmt, 10, a.durationMs, a.durationMs != 0);
  bindReal(stmt, 11, a.bpm, tempo);
  bindInt(stmt, 12, a.beatOffsetMs, tempo);
  bindReal(stmt, 13, a.loudnessLufs, measured);
  bindReal(stmt, 14, a.peakDbfs, measured);
  bindInt(stmt, 15, a.audibleStartMs, measured);
  bindInt(stmt, 16, a.audibleEndMs, measured);
  sqlite3_bind_int64(stmt, 17, r.analysedAt);
  sqlite3_bind_int(stmt, 18, r.failed ? 1 : 0);
  if (measured && !a.waveform.empty())
    sqlite3_bind_blob(stmt, 19, a.waveform.data(), static_cast<int>(a.waveform.size()),
                      SQLITE_STATIC);
  else
    sqlite3_bind_null(stmt, 19);
}

}  // namespace

TrackDatabase::~TrackDatabase() {
  close();
}

std::string TrackDatabase::open(const std::string& path) {
  std::lock_guard lock(m_mutex);
  closeLocked();
  m_path = path;
  return openLocked(true);
}

void TrackDatabase::close() {
  std::lock_guard lock(m_mutex);
  closeLocked();
}

bool TrackDatabase::isOpen() const {
  std::lock_guard lock(m_mutex);
  return m_db != nullptr;
}

std::string TrackDatabase::openLocked(bool moveAsideOnFailure) {
  std::string error = tryOpen();
  if (error.empty() || !moveAsideOnFailure) return error;
  if (error.rfind("broken:", 0) != 0) return error;
  moveAside(m_path);
  error = tryOpen();
  return error.rfind("broken:", 0) == 0 ? error.substr(7) : error;
}

// Empty on success; "broken:" and a reason when the file is unusable and may be replaced.
std::string TrackDatabase::tryOpen() {
  auto fail = [this](const std::string& why, int code) {
    std::string message = (isBrokenFile(code) ? "broken:" : "") + m_path + ": " + why;
    if (m_db) message += std::string(" (") + sqlite3_errmsg(m_db) + ")";
    closeLocked();
    return message;
  };
  int code =
      sqlite3_open_v2(m_path.c_str(), &m_db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (code != SQLITE_OK) return fail("cannot open the track database", code);
  sqlite3_busy_timeout(m_db, 5000);
  const std::int64_t version = queryInt(m_db, "PRAGMA user_version", code);
  if (code != SQLITE_OK) return fail("cannot read the track database", code);
  if (version == 0) {
    const std::int64_t objects = queryInt(m_db, "SELECT count(*) FROM sqlite_master", code);
    if (code != SQLITE_OK) return fail("cannot read the track database", code);
    if (objects != 0) return fail("not a track database", SQLITE_NOTADB);
    code = exec(m_db, "PRAGMA journal_mode=WAL");
    if (code == SQLITE_OK) code = exec(m_db, "BEGIN");
    if (code == SQLITE_OK) code = exec(m_db, kSchema);
    if (code == SQLITE_OK) code = exec(m_db, kRowIndex);
    if (code == SQLITE_OK) code = exec(m_db, "PRAGMA user_version = 1");
    if (code == SQLITE_OK) code = exec(m_db, "COMMIT");
    if (code != SQLITE_OK) return fail("cannot create the track database", code);
  } else if (version != kSchemaVersion || !hasExpectedColumns(m_db)) {
    return fail("unknown track database version " + std::to_string(version), SQLITE_NOTADB);
  }
  code = exec(m_db, "PRAGMA journal_mode=WAL");
  if (code == SQLITE_OK) code = exec(m_db, "PRAGMA synchronous=NORMAL");
  if (code == SQLITE_OK) code = exec(m_db, kRowIndex);  // a script may have dropped it
  if (code != SQLITE_OK) return fail("cannot set up the track database", code);
  const std::string columns = kRowColumns;
  const std::string find = "SELECT " + columns + ", waveform FROM tracks WHERE path = ?1";
  const std::string put = "INSERT OR REPLACE INTO tracks (" + columns +
                          ", waveform) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
                          "?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19)";
  code = sqlite3_prepare_v3(m_db, find.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &m_find, nullptr);
  if (code == SQLITE_OK)
    code = sqlite3_prepare_v3(m_db, put.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &m_put, nullptr);
  if (code == SQLITE_OK)
    code = sqlite3_prepare_v3(m_db, "SELECT waveform FROM tracks WHERE path = ?1", -1,
                              SQLITE_PREPARE_PERSISTENT, &m_waveform, nullptr);
  if (code != SQLITE_OK) return fail("cannot read the track database", code);
  return {};
}

void TrackDatabase::recoverLocked(int code) {
  if (!isBrokenFile(code) || !m_db) return;
  closeLocked();
  moveAside(m_path);
  openLocked(false);
}

std::optional<TrackRecord> TrackDatabase::find(const std::string& path, std::int64_t size,
                                               std::int64_t mtimeNs) {
  std::lock_guard lock(m_mutex);
  if (!m_db) return std::nullopt;
  sqlite3_bind_blob(m_find, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
  std::optional<TrackRecord> found;
  const int code = sqlite3_step(m_find);
  if (code == SQLITE_ROW) {
    TrackRecord r = readRow(m_find);
    if (r.size == size && r.mtimeNs == mtimeNs) {
      const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_find, 18));
      if (bytes) r.analysis.waveform.assign(bytes, bytes + sqlite3_column_bytes(m_find, 18));
      found = std::move(r);
    }
  }
  sqlite3_reset(m_find);
  sqlite3_clear_bindings(m_find);
  if (code != SQLITE_ROW && code != SQLITE_DONE) recoverLocked(code);
  return found;
}

bool TrackDatabase::put(const TrackRecord& record) {
  std::lock_guard lock(m_mutex);
  if (!m_db || record.path.empty()) return false;
  bindRecord(m_put, record);
  const int code = sqlite3_step(m_put);
  sqlite3_reset(m_put);
  sqlite3_clear_bindings(m_put);
  if (code != SQLITE_DONE) recoverLocked(code);
  return code == SQLITE_DONE;
}

std::vector<TrackRecord> TrackDatabase::loadAll() {
  std::vector<TrackRecord> rows;
  // Growing the vector row by row would move every record about once more; what is reserved
  // and unused is never touched.
  rows.reserve(rowBound());
  adviseHugePages(rows.data(), rows.capacity() * sizeof(TrackRecord));
  forEachRow([&rows](const TrackRecord& r) { rows.push_back(r); });
  return rows;
}

std::size_t TrackDatabase::rowBound() {
  std::lock_guard lock(m_mutex);
  if (!m_db) return 0;
  // Rowids are given out as the largest one plus one, so the largest is a bound on the count
  // that costs one page to read (count(*) reads a whole index).
  int code = SQLITE_OK;
  const std::int64_t bound = queryInt(m_db, "SELECT max(rowid) FROM tracks", code);
  return static_cast<std::size_t>(
      std::clamp<std::int64_t>(code == SQLITE_OK ? bound : 0, 0, 1 << 22));
}

void TrackDatabase::forEachRow(const std::function<void(const TrackRecord&)>& visit) {
  std::lock_guard lock(m_mutex);
  if (!m_db) return;
  const std::string sql =
      std::string("SELECT ") + kRowColumns + " FROM tracks INDEXED BY tracks_rows";
  sqlite3_stmt* stmt = nullptr;
  int code = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
  while (code == SQLITE_OK && (code = sqlite3_step(stmt)) == SQLITE_ROW) {
    visit(readRow(stmt));
    code = SQLITE_OK;
  }
  sqlite3_finalize(stmt);
  if (code != SQLITE_DONE) recoverLocked(code);
}

std::vector<std::uint8_t> TrackDatabase::waveform(const std::string& path) {
  std::lock_guard lock(m_mutex);
  std::vector<std::uint8_t> out;
  if (!m_db) return out;
  sqlite3_bind_blob(m_waveform, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
  const int code = sqlite3_step(m_waveform);
  if (code == SQLITE_ROW) {
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_waveform, 0));
    if (bytes) out.assign(bytes, bytes + sqlite3_column_bytes(m_waveform, 0));
  }
  sqlite3_reset(m_waveform);
  sqlite3_clear_bindings(m_waveform);
  if (code != SQLITE_ROW && code != SQLITE_DONE) recoverLocked(code);
  return out;
}

void TrackDatabase::closeLocked() {
  sqlite3_finalize(m_find);
  sqlite3_finalize(m_put);
  sqlite3_finalize(m_waveform);
  m_find = m_put = m_waveform = nullptr;
  if (m_db) sqlite3_close_v2(m_db);
  m_db = nullptr;
}

}  // namespace tracks
