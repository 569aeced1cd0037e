// The library's jobs against each other, against the end of the program, and against
// hostile folder trees.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <thread>

#include "library/LibraryPanelFixture.h"
#include "library/ScanJob.h"
#include "library/SearchJob.h"
#include "platform/os/NativePath.h"
#include "platform/sound/SoundSystem.h"

namespace {

using LibraryJobs = fixtures::LibraryPanelFixture;

// Runs a job on the test's thread, stopping it (as a cancel or as the end of the program)
// at a chosen step, and hands what it sent to the window when asked.
struct ScriptedContext : library::JobContext {
  mutable int steps = 0;
  int stopAfter = INT_MAX;
  bool asClose = false;
  mutable std::vector<std::function<void()>> sent;
  bool cancelled() const override { return ++steps > stopAfter; }
  bool closing() const override { return asClose && steps > stopAfter; }
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

TEST_F(LibraryJobs, ClearingOrRescanningDuringALoadLeavesTheirOwnList) {
  const QString r = mkdir("R");
  QByteArray bytes;
  for (int i = 0; i < 5000; ++i) bytes += (r + "/" + QString::number(i) + ".mp3\r\n").toLocal8Bit();
  for (int i = 0; i < 100; ++i) touch(r + "/" + QString::number(i * 50) + ".mp3");
  writeDb(bytes);

  LoadBaseDa();
  library().view().cmdbuq[1]->click();  // "Scan" while the list still fills
  drain();
  EXPECT_EQ(listed().size(), 100);
  EXPECT_EQ(sorted(dbLines()), sorted(listed()));

  writeDb(bytes);
  LoadBaseDa();
  library().view().cmdkl->click();  // "Borrar" while the list still fills
  drain();
  EXPECT_EQ(listed().size(), 0);
  EXPECT_FALSE(QFile::exists(db));
  EXPECT_EQ(messages.last(), "Library empty");
}

TEST_F(LibraryJobs, AddingAFolderDuringASearchKeepsBothWhole) {
  QByteArray bytes;
  for (int i = 0; i < 100000; ++i)
    bytes += "/m/" + QByteArray::number(i) + (i % 2 ? "x" : "y") + ".mp3\r\n";
  writeDb(bytes);
  load();
  const QString a = mkdir("A");
  for (const char* f : {"1x.mp3", "2x.mp3", "3.mp3"}) touch(a + "/" + f);
  QString text = "X";
  library().lists().BuscarinBase2(text);
  addFolder(a);
  drain();
  EXPECT_EQ(library().libraryModel().count(), 100003);
  EXPECT_EQ(library().lists().lastHits(), library().resultModel().count());
  EXPECT_GE(library().resultModel().count(), 50000);
  for (int i = 0; i < library().resultModel().count(); i += 1009)
    ASSERT_TRUE(library().resultModel().path(i).contains("x"));
}

TEST_F(LibraryJobs, AnUpdateCutShortByTheEndOfTheProgramIsFinishedByTheNextRun) {
  const QString a = mkdir("A"), b = mkdir("B");
  for (int i = 0; i < 30; ++i) {
    touch(a + QStringLiteral("/a%1.mp3").arg(i));
    touch(b + QStringLiteral("/b%1.mp3").arg(i));
  }
  addFolder(a);
  drain();
  addFolder(b);
  drain();
  const QList<QByteArray> everything = sorted(listed());
  ASSERT_EQ(everything.size(), 60);

  // The window closes while "Scan" is half way through the second folder.
  ScriptedContext ctx;
  ctx.stopAfter = 45;
  ctx.asClose = true;
  library::ScanJob({db, library().scanner().recoveryFile(), {}, true}, library().worker().content,
                   ctx, &library().scanner())
      .run();
  ctx.deliver();
  // The old library is whole, the half-written new one gone, the folder list kept.
  QFile recovery(library().scanner().recoveryFile());
  ASSERT_TRUE(recovery.open(QIODevice::ReadOnly));
  EXPECT_EQ(recovery.readAll(), (a + "\r\n" + b + "\r\n").toLocal8Bit());
  EXPECT_EQ(sorted(dbLines()), everything);
  EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Hidden | QDir::Files),
            QStringList({"Database.txt"}));

  restart();
  setLibraryFile(db);
  load();
  library().view().cmdbuq[1]->click();
  drain();
  EXPECT_EQ(sorted(listed()), everything);
  EXPECT_EQ(sorted(dbLines()), everything);
  EXPECT_FALSE(QFile::exists(library().scanner().recoveryFile()));
}

TEST_F(LibraryJobs, CancelKeepsWhatWasWritten) {
  const QString a = mkdir("many");
  for (int i = 0; i < 100; ++i) touch(a + QStringLiteral("/t%1.mp3").arg(i));
  library().scanner().ScanActive = true;
  ScriptedContext ctx;
  ctx.stopAfter = 41;
  library::ScanJob({db, library().scanner().recoveryFile(), {platform::nativePath(a)}, false},
                   library().worker().content, ctx, &library().scanner())
      .run();
  ctx.deliver();
  EXPECT_GT(listed().size(), 30);
  EXPECT_LT(listed().size(), 50);
  EXPECT_EQ(dbLines(), listed());
  EXPECT_FALSE(library().scanner().ScanActive);
  EXPECT_TRUE(library().scanner().lastScan().cancelled);
  EXPECT_EQ(library().view().LblFolder->Caption(), " > Search finish");
}

TEST_F(LibraryJobs, AnUnwritableLibraryFileStopsTheScanAndSaysWhy) {
  writeDb("/m/a.mp3\r\n");
  load();
  const QString a = mkdir("A");
  touch(a + "/new.mp3");
  // Root writes read-only files: the scan then runs as an ordinary user.
  ASSERT_EQ(chmod(db.toLocal8Bit().constData(), 0444), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(seteuid(65534), 0);
  }
  addFolder(a);
  const bool drained = library().worker().drain(60000);
  if (root) {
    ASSERT_EQ(seteuid(0), 0);
  }
  ASSERT_TRUE(drained);
  ASSERT_FALSE(messages.isEmpty());
  EXPECT_TRUE(messages.last().startsWith("The library file could not be written: " + db));
  EXPECT_TRUE(messages.last().contains("ermission"));
  EXPECT_EQ(library().view().LblFolder->Caption(), messages.last());
  EXPECT_EQ(listed().size(), 1);
  EXPECT_EQ(dbLines().size(), 1);
  EXPECT_TRUE(library().view().cmdaddbase->Enabled());
}

// Writes a file or makes a folder by its bytes, whatever they are.
void makeFile(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << path.constData();
  ::close(fd);
}

TEST_F(LibraryJobs, OddNamesSurviveScanReloadAndRescan) {
  const QByteArray root = QByteArray::fromStdString(dir.file("odd"));
  ASSERT_EQ(::mkdir(root.constData(), 0755), 0);
  for (const char* name : {"/lf\nname.mp3", "/crlf\r\nname.mp3", "/cr\rname.mp3", "/ok.mp3"})
    makeFile(root + name);
  ASSERT_EQ(::mkdir((root + "/fold\nbreak").constData(), 0755), 0);
  makeFile(root + "/fold\nbreak/x.mp3");
  ASSERT_EQ(::mkdir((root + "/dir\xff").constData(), 0755), 0);
  makeFile(root + "/dir\xff/inside.mp3");
  const QByteArray bad = root + "/bad\xff\xfe.mp3";
  fixtures::writeWav(bad.toStdString(), {{440, 2.0}});
  QByteArray deep = root;
  for (int i = 0; i < library::ScanJob::kMaxDepth; ++i) {
    deep += "/d";
    ASSERT_EQ(::mkdir(deep.constData(), 0755), 0);
  }
  makeFile(deep + "/deep.mp3");

  addFolder(QString::fromLocal8Bit(root));
  drain();
  const QList<QByteArray> expected = sorted({root + "/ok.mp3", bad, root + "/dir\xff/inside.mp3"});
  EXPECT_EQ(sorted(listed()), expected);
  EXPECT_EQ(library().scanner().lastScan().skippedNames, 4);
  EXPECT_EQ(library().scanner().lastScan().tooDeep, 1);
  EXPECT_EQ(library().view().LblFolder->Caption(),
            " > Search finish (skipped: 4 names with line breaks, 1 folders too deep)");

  load();  // as after a restart
  EXPECT_EQ(sorted(listed()), expected);
  library().view().cmdbuq[1]->click();
  drain();
  EXPECT_EQ(sorted(listed()), expected);
  for (const QByteArray& p : listed()) EXPECT_TRUE(platform::isRegularFile(p)) << p.toStdString();

  // The listed bytes open and play: the name reaches the decoder as it was on the disk.
  const int row = int(listed().indexOf(bad));
  sound::SoundSystem sys;
  ASSERT_EQ(sys.init(1, sound::Output::Manual), sound::Result::Ok);
  sound::Handle stream = 0, channel = 0;
  ASSERT_EQ(sys.createStream(library().libraryModel().pathBytes(row).toStdString(), stream),
            sound::Result::Ok);
  ASSERT_EQ(sys.playSound(stream, false, channel), sound::Result::Ok);
  std::vector<float> out(44100 * 2 * 3 / 10);
  sys.render(out.data(), 4410);
  sys.render(out.data(), out.size() / 2);
  EXPECT_GT(fixtures::rms(out), 0.2);
}

// A cancel stops the running job of its kinds and drops the waiting ones, and leaves the
// others; a search stopped on the way never tells the window that it is done.
TEST(LibraryWorkerCancel, DropsTheWaitingJobsOfItsKindsAndAStoppedSearchNeverEnds) {
  using W = library::LibraryWorker;
  W worker;
  std::atomic<bool> started{false}, release{false}, sawCancel{false};
  std::atomic<int> ran{0};
  worker.post(W::Load, [&](library::JobContext& ctx) {
    started = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    sawCancel = ctx.cancelled();
    ran |= 1;
  });
  for (auto [kind, bit] : {std::pair{W::Search, 2}, {W::Scan, 4}, {W::Load, 8}, {W::Browse, 16}})
    worker.post(kind, [&ran, bit](library::JobContext&) { ran |= bit; });
  while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  worker.cancel(W::Search | W::Load);
  release = true;
  ASSERT_TRUE(worker.waitIdle(5000));
  EXPECT_TRUE(sawCancel);
  EXPECT_EQ(ran, 1 | 4 | 16);

  struct Events : library::SearchEvents {
    int done = -1;
    void searchFrom(unsigned, const library::PathStore&) override {}
    void searchHits(unsigned, library::Hits) override {}
    void searchDone(unsigned, int hits) override { done = hits; }
  };
  library::PathStore store;
  library::PathChunkBuilder b;
  for (const char* p : {"/m/a.mp3", "/m/b.mp3", "/m/c.wma"}) b.append(p, std::strlen(p));
  store.append(b.finish());
  for (int stopAfter : {1, INT_MAX}) {
    ScriptedContext ctx;
    ctx.stopAfter = stopAfter;
    Events events;
    library::runSearch("mp3", 1, store, ctx, &events);
    ctx.deliver();
    EXPECT_EQ(events.done, stopAfter == 1 ? -1 : 2) << stopAfter;
  }
}

TEST(NativePath, TheFolderOfAPath) {
  EXPECT_EQ(platform::parentFolder("/music/a.mp3"), "/music");
  EXPECT_EQ(platform::parentFolder("/a.mp3"), "/");  // files directly in the root keep it
  EXPECT_EQ(platform::parentFolder("a.mp3"), "");
  EXPECT_EQ(platform::childPath("/", "a.mp3"), "/a.mp3");
  EXPECT_EQ(platform::childPath("/m", "a.mp3"), "/m/a.mp3");
}

}  // namespace
