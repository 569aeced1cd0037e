#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <memory>
#include <set>
#include <vector>

#include "JobContext.h"
#include "PathStore.h"
#include "platform/os/AudioFiles.h"

namespace library {

// How a scan ended, for the labels and the end message.
struct ScanSummary {
  int found = 0;
  int skippedNames = 0;       // names with a line break, which a line-based file cannot hold
  int unreadableFolders = 0;  // folders that could not be listed
  int tooDeep = 0;            // folders below the depth bound
  bool cancelled = false;
  QString error;  // why the scan could not go on; empty when it could
};

// What a scan tells the window. Messages use the box's icon: warning or information.
class ScanEvents {
 public:
  virtual ~ScanEvents() = default;
  virtual void scanMessage(const QString& text, bool warning) = 0;
  virtual void scanReset() = 0;  // the list is emptied (an update starts)
  virtual void scanProgress(int count, const QString& lastFound, const QString& folder) = 0;
  virtual void scanBatch(const std::vector<ChunkPtr>& chunks) = 0;
  virtual void scanDone(const ScanSummary& summary) = 0;
  virtual void clearDone(bool existed, const QString& error) = 0;
};

class ScanOutput;

// Adding folders to the library, or rebuilding it from the folders it covers (an update),
// on the library worker. The library file gets one line per audio file found (of the types
// chosen when the scan started), in the order of a pre-order walk: a folder's own files, then each
// subfolder's files and subfolders.
//
// An add appends to the library file; a write that fails takes it back to its last whole
// line. An update writes the new library beside the old one and renames it into place when
// it ends, keeping the list of folders still to rescan in the recovery file until then:
// - an update that ends replaces the library and removes the recovery file;
// - a cancelled one replaces the library with the folders rescanned so far and every entry
//   not reached yet, and leaves the folders still to rescan in the recovery file;
// - one that fails (a full disk) or is cut short (the end of the program, a kill) leaves
//   the old library whole, and the recovery file for the next update to resume from.
// Entries outside the folders of the list (lines without a folder, or folders already
// rescanned by an update that was cancelled) stay as they are.
class ScanJob {
 public:
  struct Request {
    QString libraryFile;
    QString recoveryFile;
    std::vector<QByteArray> folders;  // for an add
    bool update = false;
    platform::FileTypes types = platform::FileTypes::AllAudio;  // which files are collected
  };
  static constexpr int kMaxDepth = 1000;

  ScanJob(Request request, PathStore& content, JobContext& ctx, ScanEvents* events);
  ~ScanJob();
  void run();

 private:
  void runAdd();
  void runUpdate();
  bool prepareUpdate();
  void keepUnreached();
  void restoreOld();
  // One step of the walk: the folder `ruta` is listed once, in name order, then its own
  // files are scanned and then its subfolders. `depth` counts the folders above it.
  void scanFolder(const QByteArray& ruta, int depth);
  // The audio files directly inside `ruta`.
  void BuscarArchivoFolder(const QByteArray& ruta, const QList<QByteArray>& files);
  // Every subfolder of `ruta`, depth first: its files, then its own subfolders.
  void BuscarFolder(const QByteArray& ruta, const QList<QByteArray>& folders, int depth);
  void found(const QByteArray& path, const QByteArray& name);
  void writeFailed();
  void send(bool force);
  void fail(const QString& why);
  void done();

  Request m_req;
  PathStore& m_content;
  JobContext& m_ctx;
  ScanEvents* m_events;
  std::unique_ptr<ScanOutput> m_out;
  PathChunkBuilder m_block;
  std::vector<ChunkPtr> m_unsent;
  PathStore m_old;                // an update's library as it was
  std::vector<int> m_placeOf;     // per old entry: the listed folder that holds it, or -1
  std::size_t m_walked = 0;       // folders of an update's list walked to their end
  std::size_t m_folderFirst = 0;  // the first entry found in the folder being walked
  bool m_stopped = false;         // a walk stopped before its end (a cancel or an error)
  std::set<std::pair<std::uint64_t, std::uint64_t>> m_visited;  // folders walked (links loop)
  ScanSummary m_sum;
  QByteArray m_lastName;  // the last file found, shown with the count
  QByteArray m_folder;    // the folder being scanned
  QElapsedTimer m_sent;
};

// Deletes the library file; tells the window whether there was one and, when it could not be
// deleted, why.
void runClear(const QString& libraryFile, PathStore& content, JobContext& ctx, ScanEvents* events);

}  // namespace library
