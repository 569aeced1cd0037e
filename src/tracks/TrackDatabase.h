#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tracks/TrackRecord.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tracks {

// The track database: one SQLite file (WAL, synchronous=NORMAL) with the table `tracks`, one
// row per path. The key is the path's bytes stored as a BLOB, so a script looks a path up
// with `WHERE path = CAST('/music/a.mp3' AS BLOB)`. Absent values are NULL: empty tags, a
// year or track number of 0, no tempo, NAN loudness or peak, no waveform, and every measure
// of a failed row but its duration.
//
// The database is a cache: a file it cannot use (not a database, corrupt, a schema it does not
// know) is moved aside to `<file>.broken` and a new one made. Every call is safe from any
// thread; one mutex guards the connection.
class TrackDatabase {
 public:
  TrackDatabase() = default;
  ~TrackDatabase();
  TrackDatabase(const TrackDatabase&) = delete;
  TrackDatabase& operator=(const TrackDatabase&) = delete;

  // Opens or creates the file. Empty on success, else why the player goes without it.
  std::string open(const std::string& path);
  void close();
  bool isOpen() const;

  // The row of `path` while its size and mtime match; none once the file changed.
  std::optional<TrackRecord> find(const std::string& path, std::int64_t size, std::int64_t mtimeNs);
  // Writes one row in a transaction of its own, replacing the path's earlier row.
  bool put(const TrackRecord& record);
  // Every row, without waveforms.
  std::vector<TrackRecord> loadAll();
  // Every row, without waveforms, one at a time: a million rows held at once cost some 300 MB
  // more than what is made of them. `visit` must not call the database.
  void forEachRow(const std::function<void(const TrackRecord&)>& visit);
  // At least the number of rows, read cheaply.
  std::size_t rowBound();
  // One row's waveform; empty when it has none.
  std::vector<std::uint8_t> waveform(const std::string& path);

 private:
  std::string openLocked(bool moveAsideOnFailure);
  std::string tryOpen();
  void closeLocked();
  // A call that found the file corrupt: move it aside and start again.
  void recoverLocked(int code);

  mutable std::mutex m_mutex;
  std::string m_path;
  sqlite3* m_db = nullptr;
  sqlite3_stmt* m_find = nullptr;
  sqlite3_stmt* m_put = nullptr;
  sqlite3_stmt* m_waveform = nullptr;
};

}  // namespace tracks
