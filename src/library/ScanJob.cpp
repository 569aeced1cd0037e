#include "ScanJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string_view>
#include <unordered_set>

#include "FolderCover.h"
#include "platform/os/AudioFiles.h"
#include "platform/os/DirectoryListing.h"
#include "platform/os/NativePath.h"
#include "platform/os/RegularFile.h"
#include "platform/os/TempFile.h"

namespace library {

namespace {
constexpr qint64 kSendMs = 40;

bool hasLineBreak(const QByteArray& name) {
  return name.contains('\n') || name.contains('\r');
}

QString describe(const QFileDevice& f) {
  return f.fileName() + QStringLiteral(" (") + f.errorString() + QLatin1Char(')');
}

QString notWritten(const QString& file, const QString& why) {
  return QStringLiteral("The library file could not be written: %1 (%2)").arg(file, why);
}
}  // namespace

// Where a scan's lines go: appended to the library file, or into the new library of an
// update. Writes are buffered up to flush(); `why` says what failed.
class ScanOutput {
 public:
  virtual ~ScanOutput() = default;
  virtual bool write(const QByteArray& line) = 0;
  virtual bool flush() = 0;
  // The lines are all there: for an update, put in place of the old library.
  virtual bool finish() = 0;
  QString why;
};

namespace {
// Lines appended to the library file. A write that fails (a full disk) takes the file back
// to its last whole line, so the file never ends in the middle of a path.
class AppendOutput : public ScanOutput {
 public:
  explicit AppendOutput(const QString& file) : m_file(file) {}
  bool open() {
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
      why = describe(m_file);
      return false;
    }
    m_whole = m_file.size();
    return true;
  }
  bool write(const QByteArray& line) override {
    m_buffer += line;
    return why.isEmpty();
  }
  bool flush() override {
    if (!why.isEmpty()) return false;
    // A short write is followed by one that says why the rest did not fit.
    for (qint64 done = 0; done < m_buffer.size();) {
      const qint64 n = m_file.write(m_buffer.constData() + done, m_buffer.size() - done);
      if (n <= 0) {
        why = describe(m_file);
        m_file.resize(m_whole);
        return false;
      }
      done += n;
    }
    m_whole += m_buffer.size();
    m_buffer.clear();
    return true;
  }
  bool finish() override { return flush(); }

 private:
  QFile m_file;
  QByteArray m_buffer;
  qint64 m_whole = 0;
};

// The new library of an update, beside the old one under a temporary name, renamed over it
// by finish(); dropped (the old library untouched) when the output goes unfinished.
class ReplaceOutput : public ScanOutput {
 public:
  bool open(const QString& library) {
    QString error;
    m_target = platform::saveTarget(platform::nativePath(library), error);
    if (m_target.isEmpty()) {
      why = error;
      return false;
    }
    if (const int e = m_temp.create(platform::parentFolder(m_target))) return failed(e);
    m_temp.takeOwnershipOf(m_target);  // the new library keeps the old one's permissions
    return true;
  }
  bool write(const QByteArray& line) override {
    if (const int e = m_temp.write(line)) return failed(e);
    return true;
  }
  bool flush() override {
    if (const int e = m_temp.flush()) return failed(e);
    return true;
  }
  bool finish() override {
    if (const int e = m_temp.replace(m_target)) return failed(e);
    return true;
  }

 private:
  bool failed(int error) {
    if (why.isEmpty()) why = qt_error_string(error);
    return false;
  }
  platform::TempFile m_temp;
  QByteArray m_target;
};
}  // namespace

ScanJob::ScanJob(Request request, PathStore& content, JobContext& ctx, ScanEvents* events)
    : m_req(std::move(request)), m_content(content), m_ctx(ctx), m_events(events) {
  m_sent.start();
}

ScanJob::~ScanJob() = default;

void ScanJob::fail(const QString& why) {
  m_sum.error = why;
  m_ctx.toWindow([ev = m_events, s = m_sum] { ev->scanDone(s); });
}

void ScanJob::done() {
  m_ctx.toWindow([ev = m_events, s = m_sum] { ev->scanDone(s); });
}

void ScanJob::run() {
  const bool hadLibrary = QFileInfo(m_req.libraryFile).isFile();
  if (!hadLibrary)
    m_ctx.toWindow([ev = m_events] {
      ev->scanMessage(QStringLiteral("Now search audio files in the folder"), false);
    });
  if (m_req.update && hadLibrary) {
    runUpdate();
    return;
  }
  if (m_req.update) {
    // Without a library there is nothing to rescan.
    m_req.folders.clear();
    m_content.clear();
    m_ctx.toWindow([ev = m_events] { ev->scanReset(); });
  }
  runAdd();
}

void ScanJob::runAdd() {
  QDir().mkpath(QFileInfo(m_req.libraryFile).absolutePath());
  if (!m_req.folders.empty()) {
    auto out = std::make_unique<AppendOutput>(m_req.libraryFile);
    if (!out->open()) {
      fail(QStringLiteral("The library file could not be written: ") + out->why);
      return;
    }
    m_out = std::move(out);
  }
  for (const QByteArray& folder : m_req.folders) scanFolder(folder, 0);
  // At the end of the program the job stops where it is, and nothing is reported to a
  // window that is going.
  if (m_ctx.closing()) return;
  m_sum.cancelled = m_ctx.cancelled();
  send(true);
  m_out.reset();
  if (m_sum.error.isEmpty()) QFile::remove(m_req.recoveryFile);
  done();
}

bool ScanJob::prepareUpdate() {
  m_req.folders.clear();
  const platform::ReadResult leftover =
      platform::readRegularFile(platform::nativePath(m_req.recoveryFile), platform::kAnySize);
  if (leftover.status == platform::ReadStatus::Ok && !leftover.bytes.isEmpty()) {
    // An update was cut short: the folders it had still to rescan are the ones to finish.
    for (QByteArray line : leftover.bytes.split('\n')) {
      while (line.endsWith('\r')) line.chop(1);
      if (!line.isEmpty()) m_req.folders.push_back(line);
    }
    return true;
  }
  FolderCover cover;
  for (std::size_t i = 0; i < m_old.size(); ++i) {
    if (i % 4096 == 0 && m_ctx.cancelled()) {
      // Nothing is taken apart yet: the library stays as it was.
      m_sum.cancelled = true;
      if (!m_ctx.closing()) done();
      return false;
    }
    cover.add(platform::parentFolder(m_old.pathBytes(i)));
  }
  m_req.folders = cover.folders();
  // The folder list is whole on disk before the new library is begun, so an update cut
  // short can always be finished from it.
  QByteArray list;
  for (const QByteArray& f : m_req.folders) list += f + "\r\n";
  const QString error = platform::saveRegularFile(platform::nativePath(m_req.recoveryFile), list);
  if (!error.isEmpty()) {
    fail(QStringLiteral("The folder list could not be written: ") + error);
    return false;
  }
  return true;
}

void ScanJob::runUpdate() {
  m_old = m_content;
  if (!prepareUpdate()) return;
  // Each old entry belongs to the listed folder that holds it; consecutive entries of one
  // folder settle with one comparison.
  const CoverIndex index(m_req.folders);
  m_placeOf.reserve(m_old.size());
  QByteArray lastFolder;
  int lastPlace = -1;
  for (std::size_t i = 0; i < m_old.size(); ++i) {
    // At the end of the program the folder list, whole on disk, is what the next run takes up.
    if (i % 4096 == 0 && m_ctx.closing()) return;
    const QByteArray folder = platform::parentFolder(m_old.pathBytes(i));
    if (i == 0 || folder != lastFolder) {
      lastFolder = folder;
      lastPlace = folder.isEmpty() ? -1 : index.of(folder);
    }
    m_placeOf.push_back(lastPlace);
  }
  auto out = std::make_unique<ReplaceOutput>();
  if (!out->open(m_req.libraryFile)) {
    fail(notWritten(m_req.libraryFile, out->why));
    return;
  }
  m_out = std::move(out);
  m_content.clear();
  m_ctx.toWindow([ev = m_events] { ev->scanReset(); });
  // Entries that no listed folder holds cannot be rescanned: they stay.
  for (std::size_t i = 0; i < m_old.size(); ++i)
    if (m_placeOf[i] < 0) {
      const QByteArray path = m_old.pathBytes(i);
      found(path, path.mid(platform::parentFolder(path).size() + 1));
    }
  for (; m_walked < m_req.folders.size() && !m_stopped; ++m_walked) {
    m_folderFirst = std::size_t(m_sum.found);
    scanFolder(m_req.folders[m_walked], 0);
    if (m_stopped) break;
  }
  // At the end of the program the new library is dropped: the old one and the folder list
  // stay for the next run.
  if (m_ctx.closing()) return;
  m_sum.cancelled = m_walked < m_req.folders.size() && m_sum.error.isEmpty();
  if (m_sum.cancelled) keepUnreached();
  if (m_sum.error.isEmpty() && !m_out->finish()) m_sum.error = m_out->why;
  m_out.reset();
  if (!m_sum.error.isEmpty()) {
    m_sum.error = notWritten(m_req.libraryFile, m_sum.error);
    restoreOld();
    done();
    return;
  }
  send(true);
  if (m_sum.cancelled) {
    // What is still to rescan, for the next update to resume from.
    QByteArray rest;
    for (std::size_t k = m_walked; k < m_req.folders.size(); ++k) rest += m_req.folders[k] + "\r\n";
    const QString error = platform::saveRegularFile(platform::nativePath(m_req.recoveryFile), rest);
    if (!error.isEmpty())
      m_sum.error = QStringLiteral("The folder list could not be written: ") + error;
  } else {
    QFile::remove(m_req.recoveryFile);
  }
  done();
}

void ScanJob::keepUnreached() {
  // The folder the cancel stopped in keeps its old entries that were not found again.
  send(true);
  std::unordered_set<std::string_view> again;
  for (std::size_t i = m_folderFirst; i < m_content.size(); ++i) again.insert(m_content.bytes(i));
  const int stopped = int(m_walked);
  for (std::size_t i = 0; i < m_old.size() && m_sum.error.isEmpty(); ++i) {
    const int place = m_placeOf[i];
    if (place > stopped || (place == stopped && !again.contains(m_old.bytes(i)))) {
      const QByteArray path = m_old.pathBytes(i);
      found(path, path.mid(platform::parentFolder(path).size() + 1));
    }
  }
}

void ScanJob::restoreOld() {
  // The list shows the library as the file still holds it.
  m_block.finish();
  m_unsent.clear();
  m_content = m_old;
  m_ctx.toWindow([ev = m_events, chunks = m_old.chunks()] {
    ev->scanReset();
    ev->scanBatch(chunks);
  });
}

void ScanJob::writeFailed() {
  m_sum.error = m_out->why;
  if (!m_req.update)
    m_sum.error = QStringLiteral("The library file could not be written: ") + m_sum.error;
}

void ScanJob::found(const QByteArray& path, const QByteArray& name) {
  if (!m_sum.error.isEmpty()) return;
  if (!m_out->write(path + "\r\n")) {
    writeFailed();
    return;
  }
  m_block.append(path.constData(), std::size_t(path.size()));
  ++m_sum.found;
  m_lastName = name;
}

void ScanJob::send(bool force) {
  if (!force && m_sent.elapsed() < kSendMs) return;
  // Only entries whose lines the file holds reach the list.
  if (m_out && m_sum.error.isEmpty() && !m_out->flush()) writeFailed();
  if (!m_sum.error.isEmpty())
    m_block.finish();
  else if (m_block.size() > 0) {
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

void ScanJob::scanFolder(const QByteArray& ruta, int depth) {
  if (ruta.isEmpty()) return;
  if (m_stopped || m_ctx.cancelled() || !m_sum.error.isEmpty()) {
    m_stopped = true;
    return;
  }
  if (depth >= kMaxDepth) {
    ++m_sum.tooDeep;
    return;
  }
  // A link back to a folder already walked would loop for ever.
  const platform::FolderId id = platform::folderId(ruta);
  if (id != platform::FolderId{0, 0} && !m_visited.insert(id).second) return;
  const platform::DirectoryListing listing = platform::DirectoryListing::of(ruta);
  if (!listing.readable) {
    ++m_sum.unreadableFolders;
    return;
  }
  BuscarArchivoFolder(ruta, platform::inNameOrder(listing.files));
  BuscarFolder(ruta, platform::inNameOrder(listing.folders), depth);
}

void ScanJob::BuscarArchivoFolder(const QByteArray& ruta, const QList<QByteArray>& files) {
  m_folder = ruta;
  for (const QByteArray& name : files) {
    if (m_ctx.cancelled() || !m_sum.error.isEmpty()) {
      m_stopped = true;
      return;
    }
    send(false);
    if (!platform::isLibraryAudio(platform::bytesOf(name), m_req.types)) continue;
    if (hasLineBreak(name)) {
      ++m_sum.skippedNames;
      continue;
    }
    found(platform::childPath(ruta, name), name);
  }
}

void ScanJob::BuscarFolder(const QByteArray& ruta, const QList<QByteArray>& folders, int depth) {
  for (const QByteArray& name : folders) {
    if (hasLineBreak(name)) {
      ++m_sum.skippedNames;
      continue;
    }
    scanFolder(platform::childPath(ruta, name), depth + 1);
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
