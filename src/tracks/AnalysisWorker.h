#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "tracks/TrackDatabase.h"
#include "tracks/TrackRecord.h"

namespace tracks {

// Who asked for a track: what a deck holds is measured first, then the playlist, then the
// library.
enum class Priority { Library = 0, Playlist = 1, Deck = 2 };

// One thread at a low priority (nice 10) that reads the tags of each queued track,
// decodes it once and stores the row in the database. A track with a valid row (same size and
// mtime, failed or not) is skipped, so queueing the library again after a restart goes on
// where the last run stopped.
//
// Locking: m_mutex guards the queue, the hold and the stop flag; the worker holds it only to
// take the next path, never while it reads a file or writes the database. m_cancel is the
// one thing the running analysis reads, as an atomic.
class AnalysisWorker {
 public:
  using AnalyseFn = std::function<bool(const std::string&, Analysis&, const std::atomic<bool>*)>;
  using TagsFn = std::function<bool(const std::string&, Tags&, std::int64_t&)>;
  // Called on the worker thread after each track measured (stored, or not when the database is
  // unavailable). The app must re-post it to its own thread (a queued signal) and return.
  using ResultFn = std::function<void(const TrackRecord&)>;

  struct Hooks {
    AnalyseFn analyse;  // empty: tracks::analyseTrack
    TagsFn readTags;    // empty: tracks::readTags
    ResultFn onResult;
  };

  explicit AnalysisWorker(TrackDatabase& db, Hooks hooks = {});
  ~AnalysisWorker();
  AnalysisWorker(const AnalysisWorker&) = delete;
  AnalysisWorker& operator=(const AnalysisWorker&) = delete;

  // Queues paths at the end of their class, in the order given. A path already queued in a
  // lower class moves up to this one; one in this class or a higher one stays where it is.
  // The library's paths (up to millions) are kept as batches, not one by one: a path queued
  // again there, or also queued higher, is found measured when its turn comes and skipped.
  void enqueue(std::vector<std::string> paths, Priority priority);
  // Gives the next path of a list into its argument, false after the last; called on the
  // worker's thread, one path at a time, so it must read only what no other thread changes.
  using PathSource = std::function<bool(std::string&)>;
  // Queues `count` paths of the library class that `next` gives, without copying them here.
  void enqueueLibrary(PathSource next, std::size_t count);
  // Starts no new track for `ms` (a deck is opening a file). The track being measured is
  // cancelled and queued again at the head of its class.
  void hold(int ms);
  // Cancels the running analysis and waits up to `timeout` for the thread to end; what is
  // queued is dropped. False when it did not end in time: the thread is then left to end on
  // its own, and this object, with the database it writes, must be left alive.
  bool shutdown(std::chrono::milliseconds timeout = std::chrono::hours(1));
  // Waits until nothing is queued or running; false on timeout.
  bool waitIdle(std::chrono::milliseconds timeout);
  std::size_t queued() const;

 private:
  struct Item {
    std::string path;
    Priority priority;
    bool taken = false;
  };
  using ItemPtr = std::shared_ptr<Item>;
  // Library paths still to come from one source.
  struct Batch {
    PathSource next;
    std::size_t left;
  };
  using Clock = std::chrono::steady_clock;

  void run();
  ItemPtr takeNext();              // with m_mutex held
  bool measure(const Item& item);  // false: cancelled, to be queued again

  TrackDatabase& m_db;
  Hooks m_hooks;

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::condition_variable m_idle;
  // One queue per class, oldest first. A path that moves up stays behind in its old queue,
  // marked by its priority, and is dropped when it comes to the front.
  std::deque<ItemPtr> m_queues[3];
  std::unordered_map<std::string_view, ItemPtr> m_byPath;  // keys point into the items
  std::deque<Batch> m_library;  // after m_queues[Library], which holds only cancelled ones
  std::size_t m_libraryLeft = 0;
  Clock::time_point m_holdUntil{};
  bool m_stopping = false;
  bool m_busy = false;
  bool m_ended = false;  // the thread has left its loop
  std::atomic<bool> m_cancel{false};
  std::thread m_thread;
};

}  // namespace tracks
