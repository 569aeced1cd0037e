// Taking tracks from the library: playing rows, sending and dragging them to the playlist
// and the decks, and the two pop-up menus.
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMenu>
#include <QPixmap>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "library/LibraryFixture.h"

namespace {

class LibraryLists : public fixtures::LibraryFixture {
 protected:
  void SetUp() override {
    LibraryFixture::SetUp();
    rows = &main->library().rows();
    view = &main->library().view();
  }
  // A library of `n` rows naming three real tones in turn (440, 550, 660 Hz).
  void library(int n) {
    QByteArray bytes;
    for (int i = 0; i < 3; ++i) {
      const std::string name = QStringLiteral("t%1.wav").arg(i).toStdString();
      fixtures::writeWav(dir.file(name), {{440.0 + 110 * i, 4.0}});
    }
    for (int i = 0; i < n; ++i)
      bytes +=
          QByteArray::fromStdString(dir.file(QStringLiteral("t%1.wav").arg(i % 3).toStdString())) +
          "\r\n";
    writeDb(bytes);
    load();
  }
  int tone(int deckIndex) {
    const QByteArray p = deck(deckIndex).Path;
    return p.isEmpty() ? -1 : p.at(p.size() - 5) - '0';
  }
  playlist::Playlist& list() { return main->playlist().list(); }
  library::LibraryLists* rows = nullptr;
  library::LibraryView* view = nullptr;
};

TEST_F(LibraryLists, SendingAndPlayingTakeTheRowsTheUserChose) {
  library(100000);
  ui::ListView& data = *view->lstdata;
  for (int r : {7, 50000, 99999}) data.setSelected(r, true);
  QByteArray first = "/music/Old - One.mp3";
  list().SendTOlst(first, -1);
  view->cmdsendlst1->click();
  ASSERT_EQ(list().count(), 4);
  EXPECT_EQ(list().path(2), main->library().libraryModel().pathBytes(7));
  EXPECT_EQ(list().path(4), main->library().libraryModel().pathBytes(99999));
  EXPECT_EQ(main->playlist().model().text(3, 0), "4");
  EXPECT_EQ(main->playlist().model().text(1, 1), "t1");  // artist split from the file name

  // With results on view only the selected results go, whatever the library has selected.
  search("t2");
  view->lstresul->setVisible(true);
  view->lstresul->setSelected(0, true);
  view->cmdsendlst1->click();
  ASSERT_EQ(list().count(), 5);
  EXPECT_TRUE(list().path(5).endsWith("t2.wav"));

  // "Play !" plays the row of the list the menu was opened over, on the selected deck.
  view->lstresul->setSelectedIndex(1);
  rows->lstresul_MouseUp(ui::RightButton, 0, 100, 100);
  rows->expfic()->hide();
  main->shell().PanelPIC_Click(1);
  rows->plxy->trigger();
  EXPECT_EQ(tone(0), 2);
  data.setSelectedIndex(1);
  rows->lstdata_MouseUp(ui::RightButton, 0, 100, 100);
  rows->expfic()->hide();
  rows->plxy->trigger();
  EXPECT_EQ(tone(0), 1);
  EXPECT_TRUE(deck(0).Playing);
  // "Add to List" is the library's send while the library is on view.
  rows->sendlstx->trigger();
  EXPECT_EQ(list().count(), 6);

  // Nothing selected: a double-click plays nothing.
  main->deck(1).chksel->setValue(true);
  view->lstdata->setSelectedIndex(-1);
  rows->lstdata_DblClick();
  EXPECT_EQ(tone(1), -1);
}

// Counts the paint events of the widgets it watches.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    paints += e->type() == QEvent::Paint;
    return false;
  }
};

// A search on view repaints the result list and its page, not the pages stacked behind it nor
// the library list beneath it (10 ms a frame with a real window), and sets the result list's
// columns back to where they start without laying the list out anew for each heading.
TEST_F(LibraryLists, ASearchPaintsOnlyThePageInFrontAndSetsItsColumnsOnce) {
  library(300);
  main->form().Show();
  main->shell().PanelPIC_Click(1);
  view->txtbusq->setText("t1");
  view->cmdbusq->click();
  drain();
  QTableView* table = view->lstresul->view();
  table->setColumnWidth(1, 40);  // a heading dragged by hand
  int resets = 0;
  QObject::connect(table->model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
  view->cmdbusq->click();
  drain();
  EXPECT_EQ(resets, 2);  // emptied at once, then the new rows; the headings stay
  EXPECT_EQ(view->lstresul->Count(), 100);
  EXPECT_EQ(table->columnWidth(1), ui::toPixels(5000));

  PaintCounter behind, front;
  QWidgetList under = {view->lstdata->widget()};
  for (int i : {0, 3, 4, 5}) under << main->shell().frmPanelx[std::size_t(i)]->widget();
  for (QWidget* w : QWidgetList(under)) under << w->findChildren<QWidget*>();
  for (QWidget* w : under) w->installEventFilter(&behind);
  table->viewport()->installEventFilter(&front);
  for (QWidget* w : QWidgetList{table, view->LblFolder->widget(), view->BaseImg->widget()})
    w->repaint();
  EXPECT_GT(front.paints, 0);
  EXPECT_EQ(behind.paints, 0);
}

// A list of many rows places them by arithmetic: scrolling, the keys, a range picked with
// Shift and rows that arrive later all name the rows a table of that row height names, and
// the hidden row header keeps no record per row.
struct CountedRows : ui::ListModel {
  int rows = 0;
  int count() const override { return rows; }
  QString text(int row, int column) const override { return QString::number(row * 10 + column); }
  void add(int n) {
    beginInsertRows({}, rows, rows + n - 1);
    rows += n;
    endInsertRows();
  }
};

TEST(ListView, PlacesManyRowsByArithmetic) {
  QWidget window;
  CountedRows model;
  model.rows = 200000;
  ui::ListView list(&window, 19, &model);
  list.AddColumnHeader("A", 1500);
  list.AddColumnHeader("B", 1500);
  list.widget()->setGeometry(0, 0, 300, 2 + 19 * 10 + 40);
  window.show();
  QTableView* table = list.view();
  QCoreApplication::processEvents();
  EXPECT_EQ(table->verticalHeader()->count(), 0);
  const int page = table->viewport()->height() / 19;
  ASSERT_GE(page, 10);
  EXPECT_EQ(table->verticalScrollBar()->maximum(), 200000 - page);

  table->scrollTo(model.index(150000, 1), QAbstractItemView::PositionAtTop);
  EXPECT_EQ(list.FirstVisible(), 150000);
  EXPECT_EQ(list.ItemTop(150002) - list.ItemTop(150000), 2 * 285.0f);
  EXPECT_EQ(table->indexAt(QPoint(120, 19 * 3 + 5)), model.index(150003, 1));
  table->scrollTo(model.index(150000 + page + 4, 0));  // just below: it becomes the last row
  EXPECT_EQ(list.FirstVisible(), 150005);

  list.setSelectedIndex(150010);
  QTest::keyClick(table, Qt::Key_PageDown);
  const int down = list.SelectedIndex();
  EXPECT_NEAR(down, 150010 + page, 1);
  QTest::keyClick(table, Qt::Key_Up);
  EXPECT_EQ(list.SelectedIndex(), down - 1);
  QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(list.SelectedIndex(), 199999);
  EXPECT_EQ(list.FirstVisible(), 200000 - page);

  list.setMultiSelect(true);
  table->scrollTo(model.index(0, 0), QAbstractItemView::PositionAtTop);
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(30, 19 * 2 + 9));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(150, 19 * 5 + 9));
  for (int row = 0; row < 8; ++row) EXPECT_EQ(list.Selected(row), row >= 2 && row <= 5) << row;
  // The toolkit keeps the modifiers of the last input event: Shift must not stay held.
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(30, 9));

  model.add(1000);
  EXPECT_EQ(table->verticalScrollBar()->maximum(), 201000 - page);
  EXPECT_EQ(table->verticalHeader()->count(), 0);
}

TEST_F(LibraryLists, DraggedRowsGoToThePlaylistAndTheDecksWithARealMouse) {
  library(1000);
  main->form().Show();
  QTableView* table = view->lstdata->view();
  QCoreApplication::processEvents();  // the views lay their rows out
  table->scrollTo(main->library().libraryModel().index(400, 0), QAbstractItemView::PositionAtTop);
  ASSERT_EQ(view->lstdata->FirstVisible(), 400);
  QWidget* vp = table->viewport();
  auto rowPoint = [](int visibleRow) { return QPoint(60, visibleRow * 19 + 9); };
  auto over = [&](ui::Control& target, QPoint inside) {
    return vp->mapFromGlobal(target.widget()->mapToGlobal(inside));
  };
  QByteArray a = "/m/A.mp3", b = "/m/B.mp3", c = "/m/C.mp3";
  for (QByteArray* p : {&a, &b, &c}) list().SendTOlst(*p, -1);

  // Row 403 (shown fourth) dropped on the playlist's second row goes after it.
  QTest::mousePress(vp, Qt::LeftButton, {}, rowPoint(3));
  EXPECT_EQ(rows->DragSourceIndex, 404);
  EXPECT_TRUE(view->lstdata->Selected(403));
  QTest::mouseMove(vp, rowPoint(4));
  ASSERT_EQ(ui::Control::dragSource(), view->lstdata);
  ui::ListView& playlist = *main->playlist().view().LSTMP3;
  const QPoint second = over(playlist, QPoint(100, 1 + 14 + 7));  // a 1-pixel frame, 14-pixel rows
  QTest::mouseMove(vp, second);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, second);
  EXPECT_EQ(ui::Control::dragSource(), nullptr);
  ASSERT_EQ(list().count(), 4);
  EXPECT_EQ(list().path(3), main->library().libraryModel().pathBytes(403));
  EXPECT_EQ(list().path(4), "/m/C.mp3");
  EXPECT_EQ(rows->DragSourceIndex, 0);

  // Row 405 dropped on deck B's title strip (no title yet) plays there and selects deck B.
  QTest::mousePress(vp, Qt::LeftButton, {}, rowPoint(5));
  QTest::mouseMove(vp, rowPoint(6));
  const QPoint title = over(*main->deck(1).BACKPICPAN, QPoint(5, 5));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, title);
  EXPECT_EQ(tone(1), 405 % 3);
  EXPECT_TRUE(deck(1).Playing);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  // And on deck A's spectrum.
  QTest::mousePress(vp, Qt::LeftButton, {}, rowPoint(0));
  QTest::mouseMove(vp, rowPoint(1));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, over(*main->deck(0).SpectPic, QPoint(20, 20)));
  EXPECT_EQ(tone(0), 400 % 3);
  EXPECT_EQ(list().count(), 4);  // drops on a deck leave the playlist alone
}

TEST_F(LibraryLists, ADragFromAnEmptyListAddsNothing) {
  rows->lstdata_MouseDown(ui::LeftButton, 0, 100, 400);
  EXPECT_EQ(rows->DragSourceIndex, 0);
  EXPECT_TRUE(rows->draggedPaths(view->lstdata).isEmpty());
  rows->dropOnDeck(view->lstdata, 0);
  EXPECT_EQ(tone(0), -1);
}

TEST_F(LibraryLists, ThePlaylistMenuPlaysRemovesAndClears) {
  library(3);
  QByteArray paths[3];
  for (int i = 0; i < 3; ++i) {
    paths[i] = main->library().libraryModel().pathBytes(i);
    list().SendTOlst(paths[i], -1);
  }
  playlist::PlaylistMenu& menu = main->playlist().menu();
  ui::ListView& lst = *main->playlist().view().LSTMP3;
  menu.menu_mp3Play->trigger();  // nothing selected: nothing plays
  EXPECT_EQ(tone(0), -1);
  lst.setSelectedIndex(1);
  menu.menu_mp3PlayB->trigger();
  EXPECT_EQ(tone(1), 1);
  EXPECT_TRUE(deck(1).Playing);
  EXPECT_TRUE(main->deck(1).chksel->Value());
  EXPECT_EQ(list().current(), 2);
  lst.setSelectedIndex(2);
  menu.menu_mp3PlayA->trigger();
  EXPECT_EQ(tone(0), 2);
  EXPECT_TRUE(main->deck(0).chksel->Value());
  lst.setSelectedIndex(0);
  menu.menu_mp3rem->trigger();
  EXPECT_EQ(list().count(), 2);
  EXPECT_EQ(list().current(), 2);  // the same track, one place up
  menu.cmd_lstclean->trigger();
  EXPECT_EQ(list().count(), 0);
  EXPECT_EQ(main->playlist().view().IdxLST->Caption(), "2");
}

TEST_F(LibraryLists, RemovingInAScrolledPlaylistKeepsTheCurrentTrack) {
  main->form().Show();
  for (int i = 1; i <= 100; ++i) {
    QByteArray p = "/m/Song " + QByteArray::number(i) + ".mp3";
    list().SendTOlst(p, -1);
  }
  ui::ListView& lst = *main->playlist().view().LSTMP3;
  QCoreApplication::processEvents();
  lst.view()->scrollTo(main->playlist().model().index(60, 0), QAbstractItemView::PositionAtTop);
  list().setCurrent(70);
  // The user hovers a row and right-clicks another before removing: only the removed
  // entry's own place counts.
  list().LSTMP3_MouseMove(0, 0, 100, 15 + 14 * 2 + 7);
  lst.setSelectedIndex(64);
  main->playlist().view().cmdquitarlst->click();
  EXPECT_EQ(list().path(list().current()), "/m/Song 70.mp3");
  lst.setSelectedIndex(80);
  main->playlist().view().cmdquitarlst->click();
  EXPECT_EQ(list().path(list().current()), "/m/Song 70.mp3");
}

TEST_F(LibraryLists, AFiftyMegabyteLineIsShownCutAndPaintsAtOnce) {
  const QByteArray longPath = "/long/" + QByteArray(50 << 20, 'x') + ".mp3";
  writeDb("/m/short.mp3\r\n" + longPath + "\r\n");
  load();
  ASSERT_EQ(main->library().libraryModel().count(), 2);
  QByteArray sent = longPath;
  list().SendTOlst(sent, -1);
  main->form().Show();
  main->shell().PanelPIC_Click(1);
  for (ui::ListView* lv : {view->lstdata, main->playlist().view().LSTMP3}) {
    QElapsedTimer clock;
    clock.start();
    const QPixmap shot = lv->view()->viewport()->grab();
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(shot.isNull());
    // What a row shows is the start of its text, never more than a screenful of it.
    for (int c = 0; c < lv->model().columnCount(); ++c) {
      const QString shown = lv->model().index(lv->Count() - 1, c).data().toString();
      EXPECT_LE(shown.size(), 1000);
    }
  }
  EXPECT_TRUE(view->lstdata->model().index(1, 1).data().toString().startsWith("/long/xxx"));
  // The entry itself keeps every byte, for the deck and the files.
  EXPECT_EQ(main->library().libraryModel().pathBytes(1), longPath);
  EXPECT_EQ(list().path(1), longPath);
}

}  // namespace
