#pragma once

#include <QString>
#include <vector>

#include "JobContext.h"
#include "PathStore.h"

namespace library {

// What a load tells the window, in this order: the list is emptied; the file is open (its
// size, for the progress bar); blocks of entries with how far the reading has got; the end
// (false when there was no file to read, or the load was cancelled).
class LoadEvents {
 public:
  virtual ~LoadEvents() = default;
  virtual void loadReset() = 0;
  virtual void loadOpened(qint64 bytes) = 0;
  virtual void loadBatch(const std::vector<ChunkPtr>& chunks, qint64 position) = 0;
  virtual void loadDone(bool read) = 0;
};

// Reads the library file, one path per line (CR LF, LF or CR; empty lines skipped), into the
// worker's copy of the library, and sends the same blocks to the window about every 40 ms.
void runLoad(const QString& file, PathStore& content, JobContext& ctx, LoadEvents* events);

}  // namespace library
