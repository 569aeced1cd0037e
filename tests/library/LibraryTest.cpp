#include "library/LibraryPanelFixture.h"
#include "library/SampleSearch.h"

#include <cmath>
#include <cstring>
#include <random>

#include "library/ByteSearch.h"
#include "library/PathListModel.h"
#include "library/SearchJob.h"

namespace {

using LibraryTest = fixtures::LibraryPanelFixture;

TEST_F(LibraryTest, LoadingReadsEveryNonEmptyLine) {
  writeDb(
      "/m/A - One.mp3\r\n\r\n/m/Two.wma\n\n/m/Caf\xc3\xa9 - Tr\xc3\xa8s.mp3\r\nno-separator.mp3");
  EXPECT_TRUE(LoadBaseDa());
  drain();
  ASSERT_EQ(library().libraryModel().count(), 4);
  EXPECT_EQ(library().libraryModel().text(0, 0), "A - One.mp3");
  EXPECT_EQ(library().libraryModel().text(1, 1), "/m/Two.wma");
  EXPECT_EQ(library().libraryModel().text(2, 0), QString::fromUtf8("Café - Très.mp3"));
  EXPECT_EQ(library().libraryModel().text(3, 0), "no-separator.mp3");
  EXPECT_EQ(library().view().lblCntLST->Caption(), "4");
  EXPECT_EQ(library().view().lstdata->ColumnHeading(0), "Pista");
  EXPECT_EQ(library().view().lstdata->ColumnWidth(1), 5000.0f);
  EXPECT_TRUE(progress.finished);
  EXPECT_EQ(progress.maximum, QFileInfo(db).size() + 1);

  // Old Mac line ends (CR alone), mixed with the others.
  writeDb("/m/cr1.mp3\r/m/cr2.mp3\r\r/m/crlf.mp3\r\n/m/lf.mp3\n\r/m/last.mp3\r");
  EXPECT_TRUE(LoadBaseDa());
  drain();
  EXPECT_EQ(listed(), QList<QByteArray>(
                          {"/m/cr1.mp3", "/m/cr2.mp3", "/m/crlf.mp3", "/m/lf.mp3", "/m/last.mp3"}));

  writeDb("\r\n\n\r\n");
  EXPECT_TRUE(LoadBaseDa());
  drain();
  EXPECT_EQ(library().libraryModel().count(), 0);
  EXPECT_EQ(library().view().lblCntLST->Caption(), "0");
  QFile::remove(db);
  EXPECT_FALSE(LoadBaseDa());
  writeDb("");
  EXPECT_FALSE(LoadBaseDa());
  drain();
  EXPECT_EQ(library().libraryModel().count(), 0);
}

TEST_F(LibraryTest, ANewerLoadTakesOverAndLongLinesSpanBlocks) {
  // Lines cross the reader's 8 MB blocks, one of them several blocks long.
  QByteArray bytes;
  for (int i = 0; i < 200000; ++i) bytes += "/m/track" + QByteArray::number(i) + ".mp3\r\n";
  bytes += "/long/" + QByteArray(20 << 20, 'x') + ".mp3\r\n/after.mp3";
  writeDb(bytes);
  const QString big = db;
  db = QString::fromStdString(dir.file("small.txt"));
  writeDb("/m/small.mp3\r\n");
  setLibraryFile(big);
  LoadBaseDa();
  setLibraryFile(db);
  LoadBaseDa();  // the newer load wins, whichever order they finish in
  drain();
  ASSERT_EQ(library().libraryModel().count(), 1);
  EXPECT_EQ(library().libraryModel().pathBytes(0), "/m/small.mp3");

  setLibraryFile(big);
  load();
  // Loaded again with the window letting go of the old blocks as the new ones fill, so the
  // new library is read into the old one's memory.
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(library().libraryModel().count(), 200002);
    for (int i = 0; i < 200000; i += 9973)
      ASSERT_EQ(library().libraryModel().pathBytes(i), "/m/track" + QByteArray::number(i) + ".mp3");
    EXPECT_EQ(library().libraryModel().pathBytes(199999), "/m/track199999.mp3");
    EXPECT_EQ(library().libraryModel().pathBytes(200000).size(), (20 << 20) + 10);
    EXPECT_EQ(library().libraryModel().pathBytes(200001), "/after.mp3");
    LoadBaseDa();
    ASSERT_TRUE(library().worker().follow(60000));
  }
}

TEST_F(LibraryTest, ScanningAddsMp3AndWmaInPreOrder) {
  const QString a = mkdir("A");
  for (const char* f : {"song.mp3", "SONG2.WMA", "Song.mp3", "clip.wav", "notes.txt", "x.mp3.txt"})
    touch(a + "/" + f);
  mkdir("A/B/B1");
  mkdir("A/C");
  touch(a + "/B/b.mp3");
  touch(a + "/B/B1/b1.mp3");
  touch(a + "/C/c.mp3");
  addFolder(a);
  EXPECT_FALSE(library().view().cmdaddbase->Enabled());  // held until the scan reports its end
  drain();
  EXPECT_EQ(messages, QStringList{"Now search audio files in the folder"});  // no library yet
  // Pre-order, each folder in name order whatever the case (names equal but for case by their
  // bytes): a folder's own files, then each subfolder's files and subfolders.
  EXPECT_EQ(listedText(), QStringList({a + "/Song.mp3", a + "/song.mp3", a + "/SONG2.WMA",
                                       a + "/B/b.mp3", a + "/B/B1/b1.mp3", a + "/C/c.mp3"}));
  EXPECT_EQ(dbLines(), listed());
  EXPECT_EQ(library().view().LblFolder->Caption(), " > Search finish");
  EXPECT_EQ(library().view().lbleti->Caption(), "");
  EXPECT_TRUE(library().view().cmdaddbase->Enabled());
  EXPECT_FALSE(library().scanner().ScanActive);
  EXPECT_EQ(library().scanner().ScanCount, 6);
  EXPECT_EQ(library().view().txtbsq->Text(), "Click aqui para seleccionar carpeta");

  addFolder(a);  // a second scan lists everything twice
  drain();
  EXPECT_EQ(listed().size(), 12);
  EXPECT_EQ(dbLines().size(), 12);
  library().scanner().BrowseFolder = [](const QString&, const QString&) {
    return QString();
  };  // cancelled dialog
  library().view().cmdbuq[0]->click();
  EXPECT_TRUE(library().view().cmdaddbase->Enabled());
  drain();
  EXPECT_EQ(listed().size(), 12);

  // Names with dots in them and a folder named Z: found by the scan, then by a search.
  const QString z = mkdir("Z");
  touch(z + "/Mr. Brightside.mp3");
  touch(z + "/Z.MP3");
  touch(z + "/Mr. Brightside.mp3.part");
  addFolder(z);
  drain();
  ASSERT_EQ(listed().size(), 14);
  EXPECT_EQ(search("mr. brightside"), 1);
  EXPECT_EQ(library().resultModel().text(0, 0), "Mr. Brightside.mp3");
  EXPECT_EQ(library().resultModel().path(0), z + "/Mr. Brightside.mp3");
  EXPECT_EQ(search("/z/"), 2);
  EXPECT_EQ(search("Z.mp3"), 1);
  EXPECT_EQ(library().resultModel().text(0, 0), "Z.MP3");
}

TEST_F(LibraryTest, LinksThatLoopAndFoldersThatVanishAreSkipped) {
  const QString a = mkdir("A");
  touch(a + "/one.mp3");
  mkdir("A/sub");
  touch(a + "/sub/two.mp3");
  ASSERT_EQ(symlink(a.toLocal8Bit().constData(), (a + "/sub/back").toLocal8Bit().constData()), 0);
  ASSERT_EQ(symlink("/nonexistent/folder", (a + "/dangling").toLocal8Bit().constData()), 0);
  QString deep = a + "/deep";
  for (int i = 0; i < 50; ++i) deep += "/d";
  QDir().mkpath(deep);
  touch(deep + "/bottom.mp3");
  addFolder(a);
  drain();
  EXPECT_EQ(listed().size(), 3);
  addFolder(a + "/gone");
  drain();
  EXPECT_EQ(listed().size(), 3);
}

TEST_F(LibraryTest, UpdateRescansTheFoldersTheLibraryCovers) {
  const QString m = mkdir("M"), n = mkdir("N"), m2 = mkdir("M2");
  mkdir("M/a/x");
  touch(m + "/a/1.mp3");
  touch(m + "/a/x/2.mp3");
  touch(n + "/3.mp3");
  touch(n + "/new.wma");
  touch(m2 + "/elsewhere.mp3");
  // A subfolder listed before its parent gives way to it.
  writeDb((m + "/a/x/2.mp3\r\n" + m + "/a/1.mp3\r\n" + n + "/3.mp3\r\n" + m2 +
           "/elsewhere.mp3\r\nhand-edited.mp3\r\n")
              .toLocal8Bit());
  load();
  library().view().cmdbuq[1]->click();
  drain();
  QStringList got = listedText();
  got.sort();
  EXPECT_EQ(got, QStringList({m + "/a/1.mp3", m + "/a/x/2.mp3", m2 + "/elsewhere.mp3", n + "/3.mp3",
                              n + "/new.wma", "hand-edited.mp3"}));
  EXPECT_EQ(dbLines().size(), 6);
  EXPECT_FALSE(QFile::exists(library().scanner().recoveryFile()));

  // A recovery file left by an interrupted update names the folders still to rescan: only
  // they are walked again (a file gone from M stays listed, one gone from N goes).
  QFile::remove(m + "/a/1.mp3");
  QFile::remove(n + "/3.mp3");
  QFile leftover(library().scanner().recoveryFile());
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.write((n + "\r\n").toLocal8Bit());
  leftover.close();
  library().view().cmdbuq[1]->click();
  drain();
  got = listedText();
  got.sort();
  EXPECT_EQ(got, QStringList({m + "/a/1.mp3", m + "/a/x/2.mp3", m2 + "/elsewhere.mp3",
                              n + "/new.wma", "hand-edited.mp3"}));
  EXPECT_EQ(dbLines().size(), 5);
  EXPECT_FALSE(QFile::exists(library().scanner().recoveryFile()));

  // Without a library there is nothing to rescan.
  QFile::remove(db);
  library().view().cmdbuq[1]->click();
  drain();
  EXPECT_EQ(listed().size(), 0);
  EXPECT_EQ(messages.last(), "Now search audio files in the folder");
}

TEST_F(LibraryTest, ClearingDeletesTheFileOnlyWhenThereIsOne) {
  writeDb("/m/a.mp3\r\n");
  load();
  search("a");
  QFile::remove(db);
  library().view().cmdkl->click();
  drain();
  EXPECT_EQ(messages, QStringList{"Library is empty"});
  EXPECT_EQ(listed().size(), 1);
  writeDb("/m/a.mp3\r\n");
  library().view().cmdkl->click();
  drain();
  EXPECT_EQ(messages.last(), "Library empty");
  EXPECT_FALSE(QFile::exists(db));
  EXPECT_EQ(listed().size(), 0);
  EXPECT_EQ(library().resultModel().count(), 0);
}

TEST_F(LibraryTest, SearchFindsTextAnywhereInThePath) {
  writeDb(
      "/Music/The Beatles/Help.mp3\r\n/Music/beatles_live/Live.wma\r\n/Music/Other/Song.mp3\r\n"
      "/Music/Other/Track.WMA\r\n/Music/Zed/Mr. Brightside.mp3\r\n/Music/Caf\xc3\x89/x.mp3\r\n");
  load();
  EXPECT_EQ(search("BEATLES"), 2);
  EXPECT_EQ(library().resultModel().path(0), "/Music/The Beatles/Help.mp3");
  EXPECT_EQ(library().resultModel().text(1, 0), "Live.wma");
  EXPECT_EQ(search(".wma"), 2);
  EXPECT_EQ(search("   "), 6);
  EXPECT_EQ(search("z"), 1);
  EXPECT_EQ(search("mr. b"), 1);
  EXPECT_EQ(search(QString::fromUtf8("café")), 1);  // letters outside ASCII fold too
  EXPECT_EQ(search(QString::fromUtf8("Ñ")), 0);
  EXPECT_EQ(library().view().LblFolder->Caption(), "...Ready");

  library().view().txtbusq->setText("other");
  library().view().txtbusq->onKeyPress(13);
  drain();
  EXPECT_TRUE(library().view().lstresul->Visible());
  EXPECT_EQ(library().resultModel().count(), 2);
  library().view().txtbusq->setText("");
  library().view().txtbusq->onKeyUp();
  EXPECT_FALSE(library().view().lstresul->Visible());
  library().view().cmdbusq->click();  // an empty box does nothing
  EXPECT_FALSE(library().view().lstresul->Visible());
}

// The tags count beside the path: in library order, once per entry, field by field, after a
// retag and after a reload that reorders the library.
TEST_F(LibraryTest, SearchMatchesArtistTitleAndAlbumToo) {
  library::TrackFactsTable facts;
  library().showFacts(facts);
  using library::TagIndex;
  library::TrackFactsStore all;
  all.put("/m/02.mp3", "Queen", "Bohemian Rhapsody", "A Night at the Opera", {});
  facts.setAll(std::move(all),
               {{TagIndex::keyOf("/m/02.mp3"),
                 TagIndex::searchText("Queen", "Bohemian Rhapsody", "A Night at the Opera")}});
  facts.set("/m/03.flac", {QString::fromUtf8("Björk"), QString::fromUtf8("Jóga"), "Homogenic"});
  writeDb("/m/01.mp3\n/m/02.mp3\n/m/Queen - Live.mp3\n/m/03.flac\n");
  load();
  EXPECT_EQ(search("QUEEN"), 2);
  EXPECT_EQ(library().resultModel().path(0), "/m/02.mp3");
  EXPECT_EQ(library().resultModel().path(1), "/m/Queen - Live.mp3");
  EXPECT_EQ(search("opera"), 1);
  EXPECT_EQ(search(QString::fromUtf8("JÓGA")), 1);
  EXPECT_EQ(search("m"), 4);                 // a path and a tag hit count once
  EXPECT_EQ(search("rhapsody a night"), 0);  // no match across two fields
  facts.set("/m/02.mp3", {"Abba", "Waterloo", ""});
  EXPECT_EQ(search("queen"), 1);
  EXPECT_EQ(search("waterloo"), 1);
  writeDb("/m/03.flac\n/m/x.mp3\n/m/02.mp3\n");
  load();
  EXPECT_EQ(search("waterloo"), 1);
  EXPECT_EQ(library().resultModel().path(0), "/m/02.mp3");
  EXPECT_EQ(search("homogenic"), 1);
  EXPECT_EQ(library().resultModel().path(0), "/m/03.flac");
}

TEST_F(LibraryTest, ANewerSearchSupersedesOneThatRuns) {
  QByteArray bytes;
  for (int i = 0; i < 100000; ++i)
    bytes += (i % 2 ? "/m/odd/" : "/m/even/") + QByteArray::number(i) + ".mp3\r\n";
  writeDb(bytes);
  load();
  QString first = "odd", second = "even";
  library().lists().BuscarinBase2(first);
  library().lists().BuscarinBase2(second);
  drain();
  ASSERT_EQ(library().resultModel().count(), 50000);
  for (int i = 0; i < library().resultModel().count(); i += 997)
    ASSERT_TRUE(library().resultModel().path(i).contains("/even/"));
}

// Blocks of random paths, some with hits packed entry after entry, some with long gaps,
// searched the way the worker does: every hit maps to its own entry, in order, once, and a
// receiver that takes only some batches still gets every hit.
TEST(FindInPaths, MapsEachHitToItsEntryAcrossBlocks) {
  std::mt19937 rng(11);
  const char* pieces[] = {"/m/", "Artist ", "4999/", "a", "MP3", ".mp3", "x", "\xc3\xa9", "9"};
  library::PathStore store;
  std::vector<std::string> all;
  for (int block = 0; block < 6; ++block) {
    library::PathChunkBuilder b;
    const int entries = block == 3 ? 0 : int(rng() % 3000);
    for (int i = 0; i < entries; ++i) {
      std::string path;
      for (unsigned k = rng() % (block % 2 ? 3 : 12); k-- > 0;) path += pieces[rng() % 9];
      if (path.empty()) path = "/";
      b.append(path.data(), path.size());
      all.push_back(path);
    }
    store.append(b.finish());
  }
  for (const char* needle : {"a", "artist 4999/", "mp3", ".mp3/m", "99", "3\n/", "zz"}) {
    std::vector<std::uint32_t> want, got;
    for (std::size_t i = 0; i < all.size(); ++i) {
      std::string lowered = all[i];
      for (char& c : lowered) c = library::lowerAscii(c);
      if (lowered.find(needle) != std::string::npos) want.push_back(std::uint32_t(i));
    }
    int calls = 0;
    const int total = library::findInPaths(
        store, QString::fromLatin1(needle), [] { return false; },
        [&](library::Hits& hits, bool last) {
          if (++calls % 2 && !last) return;  // left to gather with the next block's
          got.insert(got.end(), hits.begin(), hits.end());
          [[maybe_unused]] const auto taken = std::move(hits);
        });
    EXPECT_EQ(got, want) << needle;
    EXPECT_EQ(total, int(want.size())) << needle;
  }
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

// The columns after the path show what the track database knows; a heading's click sorts by
// it: texts ignoring case, numbers by value, rows without a value last either way, and rows
// that arrive later at the end.
// A file's facts are replaced whole, tags and measures alike, and a batch merged into a
// filled table wins over what it held, through the table's growth.
TEST(TrackFactsStore, ReplacesAndMerges) {
  library::TrackFactsTable table;
  table.set("/a", {"A", "T", "", 1000, 120});
  table.set("/a", {"A", "T2", "X", 2000, 0});
  std::optional<library::TrackFacts> f = table.find("/a");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->title, "T2");
  EXPECT_EQ(f->album, "X");
  EXPECT_EQ(f->durationMs, 2000);
  EXPECT_EQ(f->bpm, 0);
  table.set("/a", {"B", "T2", "X", 2000, 0});  // the same lengths
  EXPECT_EQ(table.find("/a")->artist, "B");
  library::TrackFactsStore batch;
  for (int i = 0; i < 1000; ++i)
    batch.put("/b/" + std::to_string(i), "Artist " + std::to_string(i), "", "", {{}, {}, {}, i});
  library::TrackFacts beat;
  beat.bpm = 123.456;
  beat.firstBeatMs = 731;
  batch.put("/a", "New", "", "", beat);
  table.setAll(std::move(batch));
  EXPECT_EQ(table.size(), 1001u);
  EXPECT_EQ(table.find("/a")->artist, "New");
  EXPECT_NEAR(table.measures("/a")->bpm, 123.456, 1e-5);
  EXPECT_EQ(table.measures("/a")->firstBeatMs, 731);
  EXPECT_EQ(table.measures("/b/1")->firstBeatMs, -1);
  EXPECT_EQ(table.find("/a")->title, "");
  EXPECT_EQ(table.tag("/b/999", library::TrackFactsStore::Artist), "Artist 999");
  EXPECT_EQ(table.measures("/b/500")->durationMs, 500);
  EXPECT_FALSE(table.find("/c"));
}

// Texts that grow, shrink and go, many times over, so that their string is compacted.
TEST(TagIndex, KeepsEachFilesLatestText) {
  library::TagIndex index;
  const auto key = [](int i) { return library::TagIndex::Key(i) * 0x9e3779b97f4a7c15ull; };
  for (int round = 0; round < 40; ++round)
    for (int i = 0; i < 2000; ++i)
      index.set(key(i),
                i % 7 == 0 && round == 39
                    ? ""
                    : std::string(std::size_t(round % 5 * 9 + i % 4 + 1), char('a' + round % 26)));
  for (int i = 0; i < 2000; ++i)
    ASSERT_EQ(index.text(key(i)), i % 7 ? std::string(std::size_t(4 * 9 + i % 4 + 1), 'n') : "");
  EXPECT_FALSE(index.empty());
  for (int i = 0; i < 2000; ++i) index.set(key(i), "");
  EXPECT_TRUE(index.empty());
  // Laid out beside a library that grows by a block, unchanged itself: the block's texts too.
  const auto block = [](const char* p) {
    library::PathChunkBuilder b;
    b.append(p, std::strlen(p));
    return b.finish();
  };
  index.set(library::TagIndex::keyOf("/a"), "x");
  index.set(library::TagIndex::keyOf("/b"), "y");
  library::PathStore library;
  library.append(block("/a"));
  EXPECT_EQ(index.alignedWith(library).bytes(0), "x");
  library.append(block("/b"));
  ASSERT_EQ(index.alignedWith(library).size(), 2u);
  EXPECT_EQ(index.alignedWith(library).bytes(1), "y");
}

TEST(LibraryColumns, ShowTheTrackFactsAndSortByAnyOfThem) {
  library::TrackFactsTable facts;
  facts.set("/m/B.mp3", {"zed", "Song", "", 185400, 128.0, -9.25});
  facts.set("/m/a.mp3", {"Abba", "", "", 61000, 95.5, -14.0});
  facts.set("/m/c.mp3", {"beta", "", "", -1, 0, NAN});
  library::PathListModel model(false);
  model.setFacts(&facts);
  auto add = [&](std::initializer_list<const char*> paths) {
    library::PathChunkBuilder b;
    for (const char* p : paths) b.append(p, std::strlen(p));
    model.append({b.finish()});
  };
  add({"/m/B.mp3", "/m/none.mp3", "/m/a.mp3", "/m/c.mp3"});
  using C = library::PathListModel;
  EXPECT_EQ(model.text(0, C::Artist), "zed");
  EXPECT_EQ(model.text(0, C::Time), "3:05");
  EXPECT_EQ(model.text(0, C::Bpm), "128.0");
  EXPECT_EQ(model.text(0, C::Loudness), "-9.3");
  EXPECT_EQ(model.text(1, C::Artist), "");
  EXPECT_EQ(model.text(3, C::Bpm), "");
  auto names = [&] {
    QStringList out;
    for (int r = 0; r < model.count(); ++r) out << model.name(r);
    return out.join(' ');
  };
  const std::pair<int, const char*> cases[] = {
      {C::Name, "a.mp3 B.mp3 c.mp3 none.mp3"}, {C::Artist, "a.mp3 c.mp3 B.mp3 none.mp3"},
      {C::Bpm, "a.mp3 B.mp3 none.mp3 c.mp3"},  {C::Loudness, "a.mp3 B.mp3 none.mp3 c.mp3"},
      {C::Time, "a.mp3 B.mp3 none.mp3 c.mp3"},
  };
  for (auto [column, want] : cases) {
    model.sortBy(column, false);
    EXPECT_EQ(names(), want) << column;
  }
  model.sortBy(C::Bpm, true);
  EXPECT_EQ(names(), "B.mp3 a.mp3 none.mp3 c.mp3");
  model.sortBy(C::Artist, true);
  EXPECT_EQ(names(), "B.mp3 c.mp3 a.mp3 none.mp3");
  EXPECT_EQ(model.pathBytes(0), "/m/B.mp3");
  add({"/m/0.mp3"});
  EXPECT_EQ(names(), "B.mp3 c.mp3 a.mp3 none.mp3 0.mp3");
  model.clear();
  add({"/m/z.mp3", "/m/y.mp3"});
  EXPECT_EQ(names(), "z.mp3 y.mp3");
}
