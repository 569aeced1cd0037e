#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "library/SampleSearch.h"
#include "support/PlayerFixture.h"

namespace {

class LibraryTest : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
    db = QString::fromStdString(dir.file("Database.txt"));
    main->txtBase[0]->setText(db);
    main->scanner().MsgBox = [this](const QString& text, library::FolderScanner::Icon) {
      messages << text;
    };
  }
  void writeDb(const QByteArray& bytes) {
    QFile f(db);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
  }
  QStringList dbLines() {
    QFile f(db);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList out;
    for (const QByteArray& l : f.readAll().split('\n'))
      if (!l.isEmpty()) out << QString::fromLocal8Bit(l).remove('\r');
    return out;
  }
  QString mkdir(const QString& rel) {
    const QString p = QString::fromStdString(dir.path()) + "/" + rel;
    QDir().mkpath(p);
    return p;
  }
  void touch(const QString& path) { QFile(path).open(QIODevice::WriteOnly); }
  QStringList listed() {
    QStringList out;
    for (int i = 0; i < main->libraryModel().count(); ++i) out << main->libraryModel().path(i);
    return out;
  }
  void addFolder(const QString& folder) {
    main->scanner().BrowseFolder = [folder](const QString&) { return folder; };
    main->cmdbuq[0]->click();
  }
  app::MainX* main = nullptr;
  QString db;
  QStringList messages;
};

TEST_F(LibraryTest, LoadingReadsEveryNonEmptyLine) {
  writeDb(
      "/m/A - One.mp3\r\n\r\n/m/Two.wma\n\n/m/Caf\xc3\xa9 - Tr\xc3\xa8s.mp3\r\nno-separator.mp3");
  EXPECT_TRUE(main->LoadBaseDa());
  ASSERT_EQ(main->libraryModel().count(), 4);
  EXPECT_EQ(main->libraryModel().text(0, 0), "A - One.mp3");
  EXPECT_EQ(main->libraryModel().text(1, 1), "/m/Two.wma");
  EXPECT_EQ(main->libraryModel().text(2, 0), QString::fromUtf8("Café - Très.mp3"));
  EXPECT_EQ(main->libraryModel().text(3, 0), "no-separator.mp3");
  EXPECT_EQ(main->lblCntLST->Caption(), "4");
  EXPECT_EQ(main->lstdata->ColumnHeading(0), "Pista");
  EXPECT_EQ(main->lstdata->ColumnWidth(1), 5000.0f);
  EXPECT_EQ(program->splash().lblStat->Caption(), "Finish...");
  EXPECT_EQ(program->splash().InitLoading->Max(), int(QFileInfo(db).size()) + 1);

  writeDb("\r\n\n\r\n");
  EXPECT_TRUE(main->LoadBaseDa());
  EXPECT_EQ(main->libraryModel().count(), 0);
  EXPECT_EQ(main->lblCntLST->Caption(), "0");
  QFile::remove(db);
  EXPECT_FALSE(main->LoadBaseDa());
  writeDb("");
  EXPECT_FALSE(main->LoadBaseDa());
}

TEST_F(LibraryTest, LoadingLetsEventsRunEveryThousandEntries) {
  QByteArray bytes;
  for (int i = 0; i < 2500; ++i) bytes += "/m/track" + QByteArray::number(i) + ".mp3\r\n";
  writeDb(bytes);
  std::vector<int> seenAt;
  main->library().pumpEvents = [&] {
    seenAt.push_back(
        main->libraryModel().store().size() > 0 ? int(main->libraryModel().store().size()) : 0);
  };
  EXPECT_TRUE(main->LoadBaseDa());
  EXPECT_EQ(seenAt, (std::vector<int>{0, 1000, 2000}));
  EXPECT_EQ(main->libraryModel().count(), 2500);

  // A reload started from those events takes over; the first load stops.
  bool nested = false;
  main->library().pumpEvents = [&] {
    if (!nested) {
      nested = true;
      main->LoadBaseDa();
    }
  };
  EXPECT_FALSE(main->LoadBaseDa());
  EXPECT_EQ(main->libraryModel().count(), 2500);
}

TEST_F(LibraryTest, ScanningAddsMp3AndWmaInPreOrder) {
  const QString a = mkdir("A");
  for (const char* f : {"song.mp3", "SONG2.WMA", "clip.wav", "notes.txt"}) touch(a + "/" + f);
  mkdir("A/B/B1");
  mkdir("A/C");
  touch(a + "/B/b.mp3");
  touch(a + "/B/B1/b1.mp3");
  touch(a + "/C/c.mp3");
  addFolder(a);
  EXPECT_EQ(messages, QStringList{"Now search audio files in the folder"});  // no library yet
  const QStringList got = listed();
  ASSERT_EQ(got.size(), 5);
  EXPECT_EQ(dbLines(), got);
  EXPECT_TRUE(got[0].startsWith(a + "/song") || got[0].startsWith(a + "/SONG2"));
  EXPECT_TRUE(got[1].startsWith(a + "/song") || got[1].startsWith(a + "/SONG2"));
  // Pre-order: B's own file is followed at once by its subfolder's.
  const qsizetype b = got.indexOf(a + "/B/b.mp3");
  EXPECT_EQ(got.value(b + 1), a + "/B/B1/b1.mp3");
  EXPECT_EQ(main->LblFolder->Caption(), " > Search finish");
  EXPECT_EQ(main->lbleti->Caption(), "");
  EXPECT_TRUE(main->cmdaddbase->Enabled());
  EXPECT_EQ(main->txtbsq->Text(), "Click aqui para seleccionar carpeta");

  addFolder(a);  // a second scan lists everything twice
  EXPECT_EQ(listed().size(), 10);
  EXPECT_EQ(dbLines().size(), 10);
  main->scanner().BrowseFolder = [](const QString&) { return QString(); };  // cancelled dialog
  main->cmdbuq[0]->click();
  EXPECT_EQ(listed().size(), 10);
}

TEST_F(LibraryTest, LinksThatLoopAndFoldersThatVanishAreSkipped) {
  const QString a = mkdir("A");
  touch(a + "/one.mp3");
  mkdir("A/sub");
  touch(a + "/sub/two.mp3");
  ASSERT_EQ(symlink(a.toLocal8Bit().constData(), (a + "/sub/back").toLocal8Bit().constData()), 0);
  ASSERT_EQ(symlink("/nonexistent/folder", (a + "/dangling").toLocal8Bit().constData()), 0);
  // A deep chain ends at the walk's depth bound, not with a crash.
  QString deep = a + "/deep";
  for (int i = 0; i < 50; ++i) deep += "/d";
  QDir().mkpath(deep);
  touch(deep + "/bottom.mp3");
  addFolder(a);
  EXPECT_EQ(listed().size(), 3);
  addFolder(a + "/gone");
  EXPECT_EQ(listed().size(), 3);
}

TEST_F(LibraryTest, CancelKeepsWhatWasWritten) {
  const QString a = mkdir("many");
  for (int i = 0; i < 100; ++i) touch(a + QStringLiteral("/t%1.mp3").arg(i));
  main->scanner().pumpMs = 0;
  main->scanner().pumpEvents = [&] {
    if (main->scanner().ScanCount >= 40) main->cmdCancelScan->click();
  };
  addFolder(a);
  EXPECT_EQ(listed().size(), 40);
  EXPECT_EQ(dbLines().size(), 40);
  EXPECT_FALSE(main->scanner().ScanActive);
}

TEST_F(LibraryTest, UpdateRescansTheFoldersTheLibraryCovers) {
  const QString m = mkdir("M"), n = mkdir("N"), m2 = mkdir("M2");
  mkdir("M/a/x");
  touch(m + "/a/1.mp3");
  touch(m + "/a/x/2.mp3");
  touch(n + "/3.mp3");
  touch(n + "/new.wma");
  touch(m2 + "/elsewhere.mp3");
  writeDb((m + "/a/1.mp3\r\n" + m + "/a/x/2.mp3\r\n" + n + "/3.mp3\r\n" + m2 + "/elsewhere.mp3\r\n")
              .toLocal8Bit());
  main->LoadBaseDa();
  QByteArray recovery;
  main->scanner().pumpMs = 0;
  main->scanner().pumpEvents = [&] {
    QFile f(main->scanner().recoveryFile());
    if (recovery.isEmpty() && f.open(QIODevice::ReadOnly)) recovery = f.readAll();
  };
  main->cmdbuq[1]->click();
  // /M2 is a folder of its own, not a part of /M.
  EXPECT_EQ(recovery, (m + "/a\r\n" + n + "\r\n" + m2 + "\r\n").toLocal8Bit());
  QStringList got = listed();
  got.sort();
  EXPECT_EQ(got, QStringList({m + "/a/1.mp3", m + "/a/x/2.mp3", m2 + "/elsewhere.mp3", n + "/3.mp3",
                              n + "/new.wma"}));
  EXPECT_FALSE(QFile::exists(main->scanner().recoveryFile()));

  // A recovery file left by an interrupted update drives the next one.
  QFile leftover(main->scanner().recoveryFile());
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.write((n + "\r\n").toLocal8Bit());
  leftover.close();
  main->cmdbuq[1]->click();
  got = listed();
  got.sort();
  EXPECT_EQ(got, QStringList({n + "/3.mp3", n + "/new.wma"}));
  EXPECT_EQ(dbLines().size(), 2);
  EXPECT_FALSE(QFile::exists(main->scanner().recoveryFile()));
}

TEST_F(LibraryTest, ClearingDeletesTheFileOnlyWhenThereIsOne) {
  writeDb("/m/a.mp3\r\n");
  main->LoadBaseDa();
  QFile::remove(db);
  main->cmdkl->click();
  EXPECT_EQ(messages, QStringList{"Library is empty"});
  EXPECT_EQ(listed().size(), 1);
  writeDb("/m/a.mp3\r\n");
  main->cmdkl->click();
  EXPECT_EQ(messages.last(), "Library empty");
  EXPECT_FALSE(QFile::exists(db));
  EXPECT_EQ(listed().size(), 0);
}

TEST_F(LibraryTest, SearchFindsTextAnywhereInThePath) {
  writeDb(
      "/Music/The Beatles/Help.mp3\r\n/Music/beatles_live/Live.wma\r\n/Music/Other/Song.mp3\r\n"
      "/Music/Other/Track.WMA\r\n");
  main->LoadBaseDa();
  auto search = [&](const QString& text) {
    QString t = text;
    return main->library().BuscarinBase2(t);
  };
  EXPECT_EQ(search("BEATLES"), 2);
  EXPECT_EQ(main->resultModel().path(0), "/Music/The Beatles/Help.mp3");
  EXPECT_EQ(main->resultModel().text(1, 0), "Live.wma");
  EXPECT_EQ(search(".wma"), 2);
  EXPECT_EQ(search("   "), 4);
  EXPECT_EQ(search(QString::fromUtf8("Ñ")), 0);
  EXPECT_EQ(main->LblFolder->Caption(), "...Ready");

  main->txtbusq->setText("other");
  main->txtbusq->onKeyPress(13);
  EXPECT_TRUE(main->lstresul->Visible());
  EXPECT_EQ(main->resultModel().count(), 2);
  main->txtbusq->setText("");
  main->txtbusq->onKeyUp();
  EXPECT_FALSE(main->lstresul->Visible());
  main->cmdbusq->click();  // an empty box does nothing
  EXPECT_FALSE(main->lstresul->Visible());
}

TEST_F(LibraryTest, ANewerSearchSupersedesOneThatRuns) {
  QByteArray bytes;
  for (int i = 0; i < 1000; ++i)
    bytes += (i % 2 ? "/m/odd/" : "/m/even/") + QByteArray::number(i) + ".mp3\r\n";
  writeDb(bytes);
  main->LoadBaseDa();
  main->library().searchPumpMs = 0;  // every hundredth entry, however fast the search
  bool nested = false;
  main->library().pumpEvents = [&] {
    if (nested) return;
    nested = true;
    QString t = "even";
    main->library().BuscarinBase2(t);
  };
  QString first = "odd";
  main->library().BuscarinBase2(first);
  ASSERT_EQ(main->resultModel().count(), 500);
  for (int i = 0; i < main->resultModel().count(); ++i)
    ASSERT_TRUE(main->resultModel().path(i).contains("/even/"));
}

struct PlainList : library::SampleList {
  QStringList names;
  int selected = -1;
  int ListCount() const override { return int(names.size()); }
  QString List(int i) const override { return names.value(i); }
  int ListIndex() const override { return selected; }
  void setListIndex(int i) override { selected = i; }
};

TEST(SampleSearch, WalksFromTheSelectedFile) {
  PlainList l;
  l.names = {"Intro.wav", "Drum loop.wav", "Drum fill.wav"};
  l.selected = 0;
  library::cmdbsqs_Click(l, "");
  EXPECT_EQ(l.selected, 0);
  library::cmdbsqs_Click(l, "d");
  EXPECT_EQ(l.selected, 1);
  library::cmdbsqs_Click(l, "dr");
  library::cmdbsqs_Click(l, "DRU");
  EXPECT_EQ(l.selected, 1);
  library::cmdbsqs_Click(l, "fill");
  EXPECT_EQ(l.selected, 2);
  library::cmdbsqs_Click(l, "intro");  // only forward: the selection stays
  EXPECT_EQ(l.selected, 2);
  l.selected = -1;
  library::cmdbsqs_Click(l, "intro");
  EXPECT_EQ(l.selected, 0);
}

}  // namespace
