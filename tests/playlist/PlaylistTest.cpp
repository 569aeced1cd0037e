#include <sys/resource.h>
#include <unistd.h>

#include <QFile>
#include <QMenu>
#include <QTest>
#include <csignal>

#include "support/PlayerFixture.h"

namespace {

class PlaylistTest : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    chooseFileTypes(platform::FileTypes::MpegAndWma);
    PlayerFixture::SetUp();
    main = &start();
    list = &main->playlist().list();
  }
  void fill(int n) {
    for (int i = 1; i <= n; ++i) {
      QByteArray p = QStringLiteral("/music/Artist %1 - Song %1.mp3").arg(i).toUtf8();
      list->SendTOlst(p, -1);
    }
  }
  // The entries by the song number their path carries.
  std::vector<int> order() {
    std::vector<int> out;
    for (int i = 1; i <= list->count(); ++i) {
      const QString p = QString::fromUtf8(list->path(i));
      out.push_back(p.section(' ', -1).section('.', 0, 0).toInt());
    }
    return out;
  }
  void drag(int fromRow, int toRow) {
    list->LSTMP3_MouseDown(1, 0, 100, rowY(fromRow));
    list->LSTMP3_MouseUp(1, 0, 100, rowY(toRow));
  }
  QString cell(int position, int column) {
    return main->playlist().model().text(position - 1, column);
  }
  playlist::Playlist* list = nullptr;
};

TEST_F(PlaylistTest, EntriesAreNumberedAndSplitIntoArtistAndTitle) {
  QByteArray a = "/music/Artist - Song.mp3", b = "/music/Track.wma", c = "/m/caf\xe9 \xff.wav";
  list->SendTOlst(a, -1);
  list->SendTOlst(b, playlist::Playlist::kAppend);
  list->SendTOlst(c, playlist::Playlist::kAppend);
  EXPECT_EQ(list->path(3), "/m/caf\xe9 \xff.wav");  // the bytes, also where they are no text
  EXPECT_EQ(a, "Artist - Song.mp3");  // the caller's variable holds the bare name afterwards
  auto row = [&](int r) {
    QStringList out;
    for (int c = 0; c < 4; ++c) out << main->playlist().model().text(r, c);
    return out;
  };
  EXPECT_EQ(row(0), QStringList({"1", "Artist", "Song.mp3", "/music/Artist - Song.mp3"}));
  EXPECT_EQ(row(1), QStringList({"2", "Track", "", "/music/Track.wma"}));
  EXPECT_EQ(main->playlist().view().IdxLST->Caption(), "0");
}

TEST_F(PlaylistTest, DraggingMovesAnEntryAndKeepsTheCurrentOne) {
  struct Case {
    int from, to, current;
    std::vector<int> order;
    int after;
  };
  // Where the current entry goes is the model's; here the rows under the pointer.
  const Case cases[] = {{2, 4, 3, {1, 3, 4, 2, 5}, 2},
                        {4, 2, 4, {1, 4, 2, 3, 5}, 2},
                        {2, 12, 1, {1, 3, 4, 5, 2}, 1}};  // released below the last row
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from * 10 + c.to);
    list->cmdCls_Click();
    fill(5);
    list->setCurrent(c.current);
    drag(c.from - 1, c.to - 1);
    EXPECT_EQ(order(), c.order);
    EXPECT_EQ(list->current(), c.after);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(cell(i, 0), QString::number(i));
    EXPECT_FALSE(list->PlaylistDragActive);
    EXPECT_FALSE(main->playlist().view().PICSEL[0]->Visible());
  }
  // A press in the lowest 35 twips of a row takes the row below.
  list->cmdCls_Click();
  fill(3);
  list->LSTMP3_MouseDown(1, 0, 100, 15 + 210 - 20);
  EXPECT_EQ(list->DragSourceIndex, 2);
  list->LSTMP3_MouseUp(1, 0, 100, 15 + 210 - 20);
  EXPECT_EQ(order(), (std::vector<int>{2, 1, 3}));
}

TEST_F(PlaylistTest, RemovingAdjustsTheCurrentEntryAndClearingKeepsIt) {
  struct Case {
    int removed, current, after;
  };
  // Before the current entry, and the last row (the model has the other cases).
  for (const Case& c : {Case{2, 5, 4}, Case{5, 2, 2}}) {
    list->cmdCls_Click();
    fill(5);
    list->setCurrent(c.current);
    list->LSTMP3_MouseUp(2, 0, 100, rowY(c.removed - 1));  // right-click shows the menu
    EXPECT_EQ(list->hoverRow(), c.removed - 1);
    EXPECT_EQ(main->playlist().view().Label1->Caption(),
              QStringLiteral("Artist %1").arg(c.removed));
    list->menu()->hide();
    main->playlist().view().LSTMP3->setSelectedIndex(c.removed - 1);
    main->playlist().view().cmdquitarlst->click();
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(list->current(), c.after);
    if (c.removed != c.current) {  // the current entry is still the same track
      EXPECT_TRUE(list->path(c.after).contains(QStringLiteral("Song %1.").arg(c.current).toUtf8()));
    }
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(cell(i, 0), QString::number(i));
  }
  main->playlist().view().LSTMP3->setSelectedIndex(-1);
  main->playlist().view().cmdquitarlst->click();  // nothing selected: nothing removed
  EXPECT_EQ(list->count(), 4);
  list->setCurrent(3);
  main->playlist().view().cmdCls->click();
  EXPECT_EQ(list->count(), 0);
  EXPECT_EQ(main->playlist().view().IdxLST->Caption(), "3");
  fill(2);
  EXPECT_EQ(cell(2, 0), "2");
}

TEST_F(PlaylistTest, ShellDropsInsertAudioFilesAtThePointer) {
  fill(4);
  for (const char* n : {"a.mp3", "b.MP3", "c.wma", "d.txt"})
    QFile(QString::fromStdString(dir.file(n))).open(QIODevice::WriteOnly);
  QList<QByteArray> dropped;
  for (const char* n : {"a.mp3", "b.MP3", "c.wma", "d.txt", "gone.mp3"})
    dropped << QByteArray::fromStdString(dir.file(n));
  dropped << QByteArray::fromStdString(dir.path());  // a folder is skipped
  list->LSTMP3_FilesDropped(dropped, 100, rowY(1));
  ASSERT_EQ(list->count(), 6);
  EXPECT_EQ(list->path(1), "/music/Artist 1 - Song 1.mp3");
  EXPECT_TRUE(list->path(2).endsWith("/c.wma"));
  EXPECT_TRUE(list->path(3).endsWith("/a.mp3"));
  EXPECT_EQ(list->path(4), "/music/Artist 2 - Song 2.mp3");
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(cell(i, 0), QString::number(i));

  // Rows dragged from the library keep their order, at the pointer or after the last entry.
  auto at = [&](const char* tail) {
    for (int i = 1; i <= list->count(); ++i)
      if (list->path(i).endsWith(tail)) return i;
    return 0;
  };
  list->LSTMP3_RowsDropped({"/m/r1.mp3", "/m/r2.mp3", "/m/r3.mp3"}, rowY(1));
  const int r = at("/r1.mp3");
  EXPECT_GT(r, 1);
  EXPECT_LT(r + 2, list->count());
  EXPECT_EQ(at("/r2.mp3"), r + 1);
  EXPECT_EQ(at("/r3.mp3"), r + 2);
  list->LSTMP3_RowsDropped({"/m/e1.mp3", "/m/e2.mp3"}, rowY(30));
  EXPECT_EQ(list->count(), 11);
  EXPECT_EQ(at("/e1.mp3"), 10);
  EXPECT_EQ(at("/e2.mp3"), 11);
}

TEST_F(PlaylistTest, ThePlaylistFileRoundTripsAndSurvivesARestart) {
  const QString path = QString::fromStdString(dir.file("lists/My List.xlst"));
  fill(3);
  list->setCurrent(2);
  ASSERT_TRUE(main->playlist().file().saveLST(path));
  EXPECT_EQ(list->count(), 0);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().startsWith("[X -LIST]\r\nFIL/music/Artist 1 - Song 1.mp3\r\n"));
  f.close();
  main->playlist().file().LoadLST(path);
  EXPECT_EQ(order(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(cell(3, 0), "3");
  main->playlist().file().LoadLST(path + ".missing");
  EXPECT_EQ(list->count(), 0);

  // Set-up loads the list named in the settings; unloading writes it back.
  main->options().txtBase[1]->setText(path);
  main->options().cmd_Click();
  fill(2);
  main->BTend_Click();
  program.reset();
  SetUp();
  EXPECT_EQ(order(), (std::vector<int>{1, 2}));
}

TEST_F(PlaylistTest, AnInterruptedSaveLeavesTheOldFileIntact) {
  const QString path = QString::fromStdString(dir.file("keep.xlst"));
  fill(3);
  ASSERT_TRUE(main->playlist().file().saveLST(path));
  QFile before(path);
  before.open(QIODevice::ReadOnly);
  const QByteArray old = before.readAll();
  before.close();

  fill(2000);  // far more than the file may grow to below
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  const bool ok = main->playlist().file().saveLST(path);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(ok);
  QFile after(path);
  after.open(QIODevice::ReadOnly);
  EXPECT_EQ(after.readAll(), old);
  // A folder that cannot exist fails without a crash and the window still closes.
  fill(2);
  EXPECT_FALSE(main->playlist().file().saveLST("/proc/nowhere/list.xlst"));
  EXPECT_EQ(list->count(), 0);  // emptied all the same, as at every save
  main->options().txtBase[1]->setText("/proc/nowhere/list.xlst");
  main->BTend_Click();
  EXPECT_EQ(ends, 1);
}

TEST_F(PlaylistTest, AListThatReadsAsEmptyIsKeptBesideBeforeItIsOverwritten) {
  // A list saved as UTF-16 by some editor: twenty entries, none of which reads.
  QByteArray text = "[X -LIST]\r\n";
  for (int i = 1; i <= 20; ++i) text += "FIL/music/" + QByteArray::number(i) + ".mp3\r\n";
  QByteArray wide = "\xff\xfe";
  for (char c : text) wide += QByteArray(1, c) + '\0';
  const QString path = QString::fromStdString(dir.file("List.xlst"));
  auto write = [&](const QString& p, const QByteArray& bytes) {
    QFile out(p);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
  };
  auto read = [](const QString& p) {
    QFile in(p);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<none>");
  };
  main->options().txtBase[1]->setText(path);
  main->options().cmd_Click();
  main->options().txtBase[1]->setText(path + ".elsewhere");  // this run saves elsewhere
  write(path, wide);
  restart();
  list = &main->playlist().list();
  EXPECT_EQ(list->count(), 0);
  fill(1);
  main->BTend_Click();
  EXPECT_EQ(read(path + ".bak"), wide);
  EXPECT_EQ(read(path), "[X -LIST]\r\nFIL/music/Artist 1 - Song 1.mp3\r\n");
}

class NextPrevious : public PlaylistTest {
 protected:
  void SetUp() override {
    PlaylistTest::SetUp();
    for (int hz : {440, 550, 660}) {
      const std::string name = QStringLiteral("t%1.wav").arg(hz).toStdString();
      fixtures::writeWav(dir.file(name), {{double(hz), 4.0}});
      QByteArray p = QByteArray::fromStdString(dir.file(name));
      list->SendTOlst(p, -1);
    }
  }
  // Which of the three tones the output holds, at the centred knob's speed.
  std::vector<bool> heard() {
    render(0.1);
    const auto out = render(0.4);
    const double f = main->decks().engine().PitchFactor(0);
    std::vector<bool> on;
    for (double hz : {440.0, 550.0, 660.0})
      on.push_back(fixtures::magnitudeAt(out, 44100, hz * f) > 0.25);
    return on;
  }
};

TEST_F(NextPrevious, StepThroughTheListAlternatingDecksAtFullVolume) {
  main->decks().engine().SetVolumeKnob(1, 1000);  // deck B turned down: next brings it back to full
  main->playlist().view().cmdnext->click();
  EXPECT_EQ(list->current(), 1);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  EXPECT_EQ(main->deck(1).XVolBT->Top(), 0.0f);
  float v = 0;
  program->engine().System.channelVolume(deck(1).Channel, v);
  EXPECT_EQ(v, 1.0f);
  EXPECT_EQ(heard(), (std::vector<bool>{true, false, false}));
  EXPECT_TRUE(main->playlist().view().PLAYNX->Visible());
  EXPECT_TRUE(main->playlist().view().PICSEL[2]->Visible());

  main->playlist().view().cmdnext->click();
  EXPECT_TRUE(main->deck(0).chksel->Value());
  EXPECT_EQ(heard(), (std::vector<bool>{false, true, false}));  // the old deck is silent
  main->playlist().view().cmdnext->click();
  EXPECT_EQ(heard(), (std::vector<bool>{false, false, true}));
  main->playlist().view().cmdnext->click();  // the last entry: nothing more
  EXPECT_EQ(list->current(), 3);
  EXPECT_EQ(heard(), (std::vector<bool>{false, false, true}));

  main->playlist().view().cmdbk->click();
  EXPECT_EQ(list->current(), 2);
  EXPECT_EQ(heard(), (std::vector<bool>{false, true, false}));
  main->playlist().view().cmdbk->click();
  main->playlist().view().cmdbk->click();  // at entry 1: nothing
  EXPECT_EQ(list->current(), 1);
  EXPECT_EQ(heard(), (std::vector<bool>{true, false, false}));
}

TEST_F(NextPrevious, DoubleClickPlaysOnTheSelectedDeckAndMissingFilesChangeNothing) {
  main->playlist().view().LSTMP3->onDblClick();  // nothing selected
  EXPECT_EQ(list->current(), 0);
  EXPECT_FALSE(deck(0).Playing);
  main->playlist().view().LSTMP3->setSelectedIndex(1);
  main->playlist().view().LSTMP3->onDblClick();
  EXPECT_EQ(list->current(), 2);
  EXPECT_EQ(heard(), (std::vector<bool>{false, true, false}));
  main->playlist().view().LSTMP3->setSelectedIndex(2);
  main->playlist().view().LSTMP3->onDblClick();  // the same deck again: the old track stops
  EXPECT_EQ(heard(), (std::vector<bool>{false, false, true}));

  QByteArray missing = QByteArray::fromStdString(dir.file("gone.mp3"));
  list->SendTOlst(missing, -1);
  main->playlist().view().LSTMP3->setSelectedIndex(3);
  main->playlist().view().LSTMP3->onDblClick();
  EXPECT_EQ(list->current(), 3);
  EXPECT_EQ(heard(), (std::vector<bool>{false, false, true}));
  // Next onto the missing entry stops the playing deck and starts what the other held.
  main->playlist().view().cmdnext->click();
  EXPECT_EQ(list->current(), 4);
  EXPECT_EQ(heard(), (std::vector<bool>{false, false, false}));
  // A file that is there but does not decode: the deck takes it, and it becomes current.
  fixtures::writeRandom(dir.file("damaged.mp3"), 5000);
  QByteArray damaged = QByteArray::fromStdString(dir.file("damaged.mp3"));
  list->SendTOlst(damaged, -1);
  main->playlist().view().LSTMP3->setSelectedIndex(4);
  main->playlist().view().LSTMP3->onDblClick();
  EXPECT_EQ(list->current(), 5);
}

TEST_F(PlaylistTest, RealMouseInAScrolledListNamesTheRowUnderThePointer) {
  main->form().Show();
  fill(100);
  QTableView* view = main->playlist().view().LSTMP3->view();
  QCoreApplication::processEvents();  // the view lays its rows out
  view->scrollTo(main->playlist().model().index(40, 0), QAbstractItemView::PositionAtTop);
  ASSERT_EQ(main->playlist().view().LSTMP3->FirstVisible(), 40);
  QWidget* vp = view->viewport();
  auto rowPoint = [&](int visibleRow) { return QPoint(60, visibleRow * 14 + 7); };
  // Hover: the bar and "Play >" go to the row under the pointer.
  QMouseEvent hover(QEvent::MouseMove, rowPoint(3), vp->mapToGlobal(rowPoint(3)), Qt::NoButton,
                    Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(vp, &hover);
  EXPECT_EQ(list->hoverRow(), 3);
  EXPECT_EQ(main->playlist().view().SelDir->Top(), main->playlist().view().LSTMP3->Top() + 3 * 210);
  // The row the user sees under the pointer is the one moved, and where it is let go.
  QTest::mousePress(vp, Qt::LeftButton, {}, rowPoint(2));
  EXPECT_EQ(list->DragSourceIndex, 43);
  EXPECT_EQ(main->playlist().view().LSTMP3->SelectedIndex(), 42);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, rowPoint(5));
  EXPECT_TRUE(list->path(46).endsWith("Song 43.mp3"));
  EXPECT_TRUE(list->path(43).endsWith("Song 44.mp3"));
  EXPECT_EQ(cell(46, 0), "46");
}

}  // namespace
