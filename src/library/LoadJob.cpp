#include "LoadJob.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace library {

namespace {
constexpr qint64 kBlock = qint64(8) << 20;
constexpr qint64 kSendMs = 40;

// Marks every whole line of the block; returns where the unfinished last line starts (the
// block's size when there is none).
std::size_t markLines(PathChunkBuilder& block) {
  const char* data = block.data();
  const std::size_t size = block.byteSize();
  std::size_t start = 0;
  while (start < size) {
    const void* nl = std::memchr(data + start, '\n', size - start);
    if (!nl) break;
    const std::size_t end = std::size_t(static_cast<const char*>(nl) - data);
    std::size_t len = end - start;
    if (len > 0 && data[start + len - 1] == '\r') --len;
    if (len > 0) block.mark(start, len);
    start = end + 1;
  }
  return start;
}
}  // namespace

void runLoad(const QString& file, PathStore& content, JobContext& ctx, LoadEvents* events) {
  content.clear();
  ctx.toWindow([events] { events->loadReset(); });
  const QFileInfo info(file);
  QFile in(file);
  // Only a regular file is read: a pipe or a device given as the library would never end.
  if (!info.isFile() || info.size() < 1 || !in.open(QIODevice::ReadOnly)) {
    ctx.toWindow([events] { events->loadDone(false); });
    return;
  }
  const qint64 size = info.size();
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
    std::size_t tail = block.byteSize() - markLines(block);
    if (atEnd && tail > 0) {
      // The last line has no line end.
      const std::size_t start = block.byteSize() - tail;
      std::size_t len = tail;
      if (block.data()[start + len - 1] == '\r') --len;
      if (len > 0) block.mark(start, len);
      tail = 0;
    }
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
