// An update of the library never loses it: cancelled at any point, into a full file system,
// or cut short, the library keeps every entry it had that was not rescanned yet.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QThread>
#include <climits>
#include <csignal>
#include <cstdio>

#include "library/LibraryPanelFixture.h"
#include "library/ScanJob.h"

namespace {

// Runs a job on the test's thread and cancels it at a chosen step.
struct CancelAt : library::JobContext {
  explicit CancelAt(int step) : stopAfter(step) {}
  mutable int steps = 0;
  int stopAfter;
  mutable std::vector<std::function<void()>> sent;
  bool cancelled() const override { return ++steps > stopAfter; }
  bool closing() const override { return false; }
  void toWindow(std::function<void()> f) const override { sent.push_back(std::move(f)); }
  void deliver() {
    for (auto& f : sent) f();
    sent.clear();
  }
};

QList<QByteArray> sorted(QList<QByteArray> l) {
  std::sort(l.begin(), l.end());
  return l;
}

class LibraryUpdate : public fixtures::LibraryPanelFixture {
 protected:
  // Folders F0..F5 of 40 tracks each, added to the library.
  void makeLibrary() {
    for (int f = 0; f < 6; ++f) {
      folders << mkdir(QStringLiteral("F%1").arg(f));
      for (int i = 0; i < 40; ++i) touch(folders[f] + QStringLiteral("/t%1.mp3").arg(i));
      addFolder(folders[f]);
      drain();
    }
    everything = sorted(listed());
    ASSERT_EQ(everything.size(), 240);
  }
  QStringList files() {
    return QDir(QString::fromStdString(dir.path())).entryList(QDir::Hidden | QDir::Files);
  }
  QList<QByteArray> recoveryLines() {
    QFile f(library().scanner().recoveryFile());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().split('\n');
  }
  QStringList folders;
  QList<QByteArray> everything;
};

TEST_F(LibraryUpdate, TenCancelledUpdatesKeepEveryEntryAndTheNextOneResumes) {
  makeLibrary();
  // Changes on disk that only a rescan of their folder shows: a track added to the first
  // folder walked, one removed from the last.
  const QByteArray added = (folders[0] + "/new.mp3").toLocal8Bit();
  const QByteArray removed = (folders[5] + "/t0.mp3").toLocal8Bit();
  touch(QString::fromLocal8Bit(added));
  QFile::remove(QString::fromLocal8Bit(removed));
  QList<QByteArray> rescanned = everything;
  rescanned.removeOne(removed);
  rescanned = sorted(rescanned << added);

  bool sawAdded = false;
  for (int step : {3, 30, 45, 7, 20, 60, 15, 10, 35, 25}) {
    SCOPED_TRACE(step);
    CancelAt ctx(step);
    library::ScanJob({db, library().scanner().recoveryFile(), {}, true}, library().worker().content,
                     ctx, &library().scanner())
        .run();
    ctx.deliver();
    EXPECT_TRUE(library().scanner().lastScan().cancelled);
    // Every old entry is there (the removed track too, while its folder waits), the new
    // one once its folder was rescanned; file and list agree, nothing else is left.
    const QList<QByteArray> now = sorted(listed());
    EXPECT_EQ(sorted(dbLines()), now);
    QList<QByteArray> without = now;
    without.removeOne(added);
    if (!without.contains(removed)) without = sorted(without << removed);
    EXPECT_EQ(without, everything);
    sawAdded = sawAdded || now.contains(added);
    // The folders still to rescan, at the end of the list, in its order.
    const QList<QByteArray> rest = recoveryLines();
    ASSERT_GE(rest.size(), 2);
    for (qsizetype k = 0; k + 1 < rest.size(); ++k)
      EXPECT_EQ(rest[k], (folders[6 - rest.size() + 1 + k] + "\r").toLocal8Bit());
    EXPECT_EQ(files(), QStringList({"Database.txt"}));
  }
  EXPECT_TRUE(sawAdded);
  // An update left to its end finishes the folders still listed and removes the list.
  library().view().cmdbuq[1]->click();
  drain();
  EXPECT_EQ(sorted(listed()), rescanned);
  EXPECT_EQ(sorted(dbLines()), rescanned);
  EXPECT_EQ(files(), QStringList({"Database.txt"}));
  EXPECT_TRUE(recoveryLines().isEmpty());
}

TEST_F(LibraryUpdate, AFullFileSystemKeepsTheLibraryWholeAndSaysWhy) {
  makeLibrary();
  QFile before(db);
  ASSERT_TRUE(before.open(QIODevice::ReadOnly));
  const QByteArray old = before.readAll();
  // A file-size limit stands for a full disk: writes past it fail.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = rlim_t(old.size() / 2);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  library().view().cmdbuq[1]->click();  // "Scan"
  drain();
  const QString updateMessage = messages.value(messages.size() - 1);
  // An add past the limit: the file ends with the last whole line it could hold.
  touch(mkdir("G") + "/g.mp3");
  small.rlim_cur = rlim_t(old.size() + 10);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  addFolder(QString::fromStdString(dir.file("G")));
  drain();
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);

  const std::string full =
      ("The library file could not be written: " + db + " (File too large)").toStdString();
  EXPECT_EQ(updateMessage.toStdString(), full);
  EXPECT_EQ(messages.last().toStdString(), full);
  QFile after(db);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), old);
  EXPECT_EQ(sorted(listed()), everything);
  EXPECT_EQ(recoveryLines().size(), 7);  // six folders, for the next update
  EXPECT_EQ(files(), QStringList({"Database.txt"}));
}

// A library of 60 folders and ten "Scan" presses each cancelled with "Cancelar" while the
// worker rescans: the count stays. TV_LARGE_LIBRARY=1 makes it 60,001 tracks (else 6,001).
TEST_F(LibraryUpdate, TenCancelledRescansOfALargeLibraryKeepItsCount) {
  const int perFolder = qEnvironmentVariableIntValue("TV_LARGE_LIBRARY") ? 1000 : 100;
  const QString root = mkdir("big");
  QByteArray lines;
  for (int f = 0; f < 60; ++f) {
    const QString folder = mkdir(QStringLiteral("big/%1").arg(f));
    for (int i = 0; i < perFolder; ++i) {
      const QString p = folder + QStringLiteral("/%1.mp3").arg(i);
      touch(p);
      lines += p.toLocal8Bit() + "\r\n";
    }
  }
  touch(root + "/last.mp3");
  lines += (root + "/last.mp3").toLocal8Bit() + "\r\n";
  writeDb(lines);
  load();
  const qsizetype before = listed().size();
  ASSERT_EQ(before, 60 * perFolder + 1);
  library::FolderScanner& scanner = library().scanner();
  int cancelled = 0;
  for (int k = 0; k < 10; ++k) {
    library().view().cmdaddbase->click();  // "Opciones"
    library().view().cmdbuq[1]->click();   // "Scan"
    QThread::msleep(2 + (perFolder / 100) * k);
    library().view().cmdCancelScan->click();  // "Cancelar"
    drain();
    cancelled += scanner.lastScan().cancelled ? 1 : 0;
    EXPECT_EQ(listed().size(), before);
    EXPECT_EQ(dbLines().size(), before);
  }
  std::printf("library entries before ten cancelled rescans: %lld, after: %lld (%d cancelled)\n",
              (long long)before, (long long)listed().size(), cancelled);
  EXPECT_GE(cancelled, 5);
  restart();
  setLibraryFile(db);
  load();
  EXPECT_EQ(listed().size(), before);
}

}  // namespace
