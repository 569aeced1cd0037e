#include "LoadJob.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>

#include "platform/os/NativePath.h"
#include "platform/os/RegularFile.h"

namespace library {

namespace {
constexpr qint64 kBlock = qint64(8) << 20;
constexpr qint64 kSendMs = 40;
}  // namespace

void runLoad(const QString& file, PathStore& content, JobContext& ctx, LoadEvents* events) {
  // The old library's blocks, freed as the window lets go of them, hold the new one.
  const BlockReuse reuse;
  content.clear();
  ctx.toWindow([events] { events->loadReset(); });
  QFile in;
  qint64 size = 0;
  QString error;
  // Only a regular file is read: a pipe or a device given as the library would never end.
  const platform::ReadStatus found =
      platform::openRegularFile(platform::nativePath(file), in, size, error);
  if (!error.isEmpty()) platform::reportSkippedFile(error);
  if (found != platform::ReadStatus::Ok || size < 1) {
    ctx.toWindow([events] { events->loadDone(false); });
    return;
  }
  ctx.toWindow([events, size] { events->loadOpened(size); });

  PathChunkBuilder block;
  std::vector<ChunkPtr> unsent;
  QElapsedTimer sent;
  sent.start();
  bool first = true;
  for (bool atEnd = false; !atEnd;) {
    if (ctx.cancelled()) {
      ctx.toWindow([events] { events->loadDone(false); });
      return;
    }
    const std::size_t held = block.byteSize();  // an unfinished line carried over
    // A line longer than a block makes the next block larger, never a copy per byte read.
    const qint64 want = std::max<qint64>(kBlock, qint64(held) * 2);
    const qint64 got = in.read(block.reserve(std::size_t(want)), want);
    atEnd = got <= 0;
    if (!atEnd) block.commit(std::size_t(got));
    const std::size_t tail = block.byteSize() - block.markLines(atEnd);
    if (block.size() > 0 || atEnd) {
      ChunkPtr chunk = block.finish(tail);
      content.append(chunk);
      unsent.push_back(std::move(chunk));
    }
    // The first rows go out at once, the rest about as often as the eye follows.
    if (atEnd || first || sent.elapsed() >= kSendMs) {
      const qint64 position = in.pos();
      ctx.toWindow(
          [events, chunks = std::move(unsent), position] { events->loadBatch(chunks, position); });
      unsent.clear();
      sent.restart();
      first = false;
    }
  }
  ctx.toWindow([events] { events->loadDone(true); });
}

}  // namespace library
