#include "ScanJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "FolderCover.h"
#include "platform/os/AudioFiles.h"
#include "platform/os/DirectoryListing.h"
#include "platform/os/NativePath.h"

namespace library {

namespace {
constexpr qint64 kSendMs = 40;

bool hasLineBreak(const QByteArray& name) {
  return name.contains('\n') || name.contains('\r');
}

QString describe(const QFileDevice& f) {
  return f.fileName() + QStringLiteral(" (") + f.errorString() + QLatin1Char(')');
}
}  // namespace

ScanJob::ScanJob(Request request, PathStore& content, JobContext& ctx, ScanEvents* events)
    : m_req(std::move(request)), m_content(content), m_ctx(ctx), m_events(events) {
  m_sent.start();
}

void ScanJob::fail(const QString& why) {
  m_sum.error = why;
  m_ctx.toWindow([ev = m_events, s = m_sum] { ev->scanDone(s); });
}

bool ScanJob::prepareUpdate() {
  m_req.folders.clear();
  QFile leftover(m_req.recoveryFile);
  if (QFileInfo(leftover).isFile() && leftover.size() >= 1 && leftover.open(QIODevice::ReadOnly)) {
    // An update was cut short: its folder list is the one to finish.
    for (QByteArray line : leftover.readAll().split('\n')) {
      while (line.endsWith('\r')) line.chop(1);
      if (!line.isEmpty()) m_req.folders.push_back(line);
    }
  } else {
    FolderCover cover;
    for (std::size_t i = 0; i < m_content.size(); ++i) {
      if (i % 4096 == 0 && m_ctx.cancelled()) {
        // Nothing is taken apart yet: the library stays as it was.
        m_sum.cancelled = true;
        if (!m_ctx.closing()) m_ctx.toWindow([ev = m_events, s = m_sum] { ev->scanDone(s); });
        return false;
      }
      const QByteArray path = m_content.pathBytes(i);
      const QByteArray folder = platform::parentFolder(path);
      // A line without a folder covers nothing and cannot be rescanned: it stays.
      if (folder.isEmpty())
        m_kept.push_back(path);
      else
        cover.add(folder);
    }
    m_req.folders = cover.folders();
    // The folder list is whole on disk before the library goes, so an update cut short can
    // always be finished from it.
    QSaveFile list(m_req.recoveryFile);
    bool written = list.open(QIODevice::WriteOnly);
    for (const QByteArray& f : m_req.folders) written = written && list.write(f + "\r\n") >= 0;
    if (!written || !list.commit()) {
      fail(QStringLiteral("The folder list could not be written: ") + describe(list));
      return false;
    }
  }
  QFile library(m_req.libraryFile);
  if (library.exists() && !library.remove()) {
    QFile::remove(m_req.recoveryFile);
    fail(QStringLiteral("The library file could not be replaced: ") + describe(library));
    return false;
  }
  return true;
}

void ScanJob::run() {
  const bool hadLibrary = QFileInfo(m_req.libraryFile).isFile();
  if (!hadLibrary)
    m_ctx.toWindow([ev = m_events] {
      ev->scanMessage(QStringLiteral("Now search audio files in the folder"), false);
    });
  if (m_req.update) {
    if (!hadLibrary) {
      m_req.folders.clear();  // without a library there is nothing to rescan
    } else if (!prepareUpdate()) {
      return;
    }
    m_content.clear();
    m_ctx.toWindow([ev = m_events] { ev->scanReset(); });
  }
  QDir().mkpath(QFileInfo(m_req.libraryFile).absolutePath());
  QFile out(m_req.libraryFile);
  if ((!m_req.folders.empty() || !m_kept.empty()) &&
      !out.open(QIODevice::WriteOnly | QIODevice::Append)) {
    fail(QStringLiteral("The library file could not be written: ") + describe(out));
    return;
  }
  m_out = &out;
  for (const QByteArray& line : m_kept) found(line, platform::parentFolder(line));
  for (const QByteArray& folder : m_req.folders) visit(folder, 0);
  out.close();
  m_out = nullptr;
  // At the end of the program the job stops where it is: an update's folder list stays for
  // the next run, and nothing is reported to a window that is going.
  if (m_ctx.closing()) return;
  m_sum.cancelled = m_ctx.cancelled();
  send(true);
  if (m_sum.error.isEmpty()) QFile::remove(m_req.recoveryFile);
  m_ctx.toWindow([ev = m_events, s = m_sum] { ev->scanDone(s); });
}

void ScanJob::found(const QByteArray& path, const QByteArray& name) {
  if (!m_sum.error.isEmpty()) return;
  if (m_out->write(path + "\r\n") < 0) {
    m_sum.error = QStringLiteral("The library file could not be written: ") + describe(*m_out);
    return;
  }
  m_block.append(path.constData(), std::size_t(path.size()));
  ++m_sum.found;
  m_lastName = name;
}

void ScanJob::send(bool force) {
  if (!force && m_sent.elapsed() < kSendMs) return;
  if (m_block.size() > 0) {
    ChunkPtr chunk = m_block.finish();
    m_content.append(chunk);
    m_unsent.push_back(std::move(chunk));
  }
  if (!m_unsent.empty())
    m_ctx.toWindow([ev = m_events, chunks = std::move(m_unsent)] { ev->scanBatch(chunks); });
  m_unsent.clear();
  m_ctx.toWindow([ev = m_events, n = m_sum.found, last = platform::displayPath(m_lastName),
                  folder = platform::displayPath(m_folder)] { ev->scanProgress(n, last, folder); });
  m_sent.restart();
}

void ScanJob::visit(const QByteArray& folder, int depth) {
  if (folder.isEmpty() || m_ctx.cancelled() || !m_sum.error.isEmpty()) return;
  if (depth >= kMaxDepth) {
    ++m_sum.tooDeep;
    return;
  }
  // A link back to a folder already walked would loop for ever.
  const platform::FolderId id = platform::folderId(folder);
  if (id != platform::FolderId{0, 0} && !m_visited.insert(id).second) return;
  const platform::DirectoryListing listing = platform::DirectoryListing::of(folder);
  if (!listing.readable) {
    ++m_sum.unreadableFolders;
    return;
  }
  m_folder = folder;
  for (const QByteArray& name : listing.files) {
    if (m_ctx.cancelled() || !m_sum.error.isEmpty()) return;
    send(false);
    if (!platform::isLibraryAudio(platform::bytesOf(name))) continue;
    if (hasLineBreak(name)) {
      ++m_sum.skippedNames;
      continue;
    }
    found(platform::childPath(folder, name), name);
  }
  for (const QByteArray& name : listing.folders) {
    if (hasLineBreak(name)) {
      ++m_sum.skippedNames;
      continue;
    }
    visit(platform::childPath(folder, name), depth + 1);
  }
}

void runClear(const QString& libraryFile, PathStore& content, JobContext& ctx, ScanEvents* events) {
  QFile file(libraryFile);
  if (!QFileInfo(file).isFile()) {
    ctx.toWindow([events] { events->clearDone(false, {}); });
    return;
  }
  if (!file.remove()) {
    ctx.toWindow([events, why = describe(file)] { events->clearDone(true, why); });
    return;
  }
  content.clear();
  ctx.toWindow([events] { events->clearDone(true, {}); });
}

}  // namespace library
