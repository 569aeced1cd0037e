#pragma once

#include <functional>
#include <span>

#include "FolderListing.h"
#include "LibraryWorker.h"

namespace library {

// Reads the folders the browser lists on a thread of its own: a folder of many thousand
// files never holds up the window, and a library scan never holds up browsing. Folders are
// read in the order asked; each answer comes back on the window thread.
class FolderLister {
 public:
  using Done = std::function<void(const FolderListing&)>;

  // Reads `folder` (see listFolder) and runs `done` with what it found on the window thread.
  // `patterns` must outlive the job (the program's pattern tables do).
  void list(const QByteArray& folder, std::span<const char* const> patterns, Done done);
  // Waits for the folders asked for, then runs their answers; for tests. False on timeout.
  bool drain(int timeoutMs) { return m_worker.drain(timeoutMs); }
  // Drops what waits, and ends the thread within `timeoutMs`; no answer arrives after it.
  void shutdown(int timeoutMs) { m_worker.shutdown(timeoutMs); }

 private:
  LibraryWorker m_worker;
};

}  // namespace library
