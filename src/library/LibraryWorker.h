#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "JobContext.h"
#include "PathStore.h"
#include "TagIndex.h"

namespace library {

// The one thread that runs the library's long jobs: loading the library file, searching,
// scanning folders and clearing. Jobs run one at a time, in the order they were posted,
// each on its own inputs; what they find reaches the window as functions run there in the
// order they were sent. The window never waits for a job.
//
// Rules between jobs (the callers apply them through cancel()):
// - a newer search supersedes a running or waiting search; a newer load supersedes a
//   running or waiting load;
// - clearing cancels loads and searches (their lists are about to go); scans and updates
//   wait their turn behind whatever runs;
// - cancelling a scan stops it before its next file or folder; what it wrote stays;
// - shutting down cancels everything and joins the thread within the time given; a job
//   that sees closing() stops without its end steps, so files it was building stay as
//   they are for the next run.
//
// The file browser reads folders (Browse jobs) on a worker of its own (FolderLister), so
// that browsing never waits behind a scan.
class LibraryWorker {
 public:
  enum Kind { Load = 1, Search = 2, Scan = 4, Clear = 8, Browse = 16, Tags = 32, All = 63 };
  using Job = std::function<void(JobContext&)>;

  LibraryWorker();
  ~LibraryWorker();
  LibraryWorker(const LibraryWorker&) = delete;
  LibraryWorker& operator=(const LibraryWorker&) = delete;

  void post(Kind kind, Job job);
  // Cancels the running job and drops the waiting ones whose kind is in `kinds`.
  void cancel(int kinds);
  // Cancels everything and waits up to `timeoutMs` for the thread to end; false when a job
  // did not stop in time (the thread is then left to end with the process).
  bool shutdown(int timeoutMs);
  // Waits until no job runs or waits; for tests and benchmarks. False on timeout.
  bool waitIdle(int timeoutMs) const;
  // waitIdle(), then runs on this (the window) thread whatever the jobs sent.
  bool drain(int timeoutMs);
  // As drain(), but what the jobs send runs as it comes, as the window's event loop runs it.
  bool follow(int timeoutMs);
  bool busy(int kinds) const;

  // The library as the jobs know it: what every job before the running one made of it. Read
  // and written only by jobs, on the worker thread; the window's list gets the same blocks.
  PathStore content;
  // The tags the search matches besides the paths; read and written only by jobs.
  TagIndex tags;

  struct State;

 private:
  std::shared_ptr<State> m_state;
  std::unique_ptr<std::thread> m_thread;
};

}  // namespace library
