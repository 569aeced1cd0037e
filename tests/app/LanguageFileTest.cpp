#include "app/LanguageFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QWidget>
#include <atomic>
#include <thread>

#include "platform/ui/CommandButton.h"
#include "platform/ui/Label.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/TextBox.h"

namespace {

using app::LanguageFile;

TEST(LanguageFile, FieldsSplitOnCommasAndLinesAndKeepQuotedCommas) {
  const auto f = LanguageFile::ReadFields(
      "FORM=MainX, obje=lbltime ,CAPT:Ok\r\n\r\n  \"CAPT=Stop, then go\" trailing,IDXX=3\nLAST");
  ASSERT_EQ(f.size(), 6u);
  EXPECT_EQ(f[0], "FORM=MainX");
  EXPECT_EQ(f[1], "obje=lbltime");
  EXPECT_EQ(f[2], "CAPT:Ok");
  EXPECT_EQ(f[3], "CAPT=Stop, then go");
  EXPECT_EQ(f[4], "IDXX=3");
  EXPECT_EQ(f[5], "LAST");
  // An unterminated quote runs to the end; a lone comma gives an empty field.
  EXPECT_EQ(LanguageFile::ReadFields("\"CAPT=open").back(), "CAPT=open");
  EXPECT_EQ(LanguageFile::ReadFields(",x").size(), 2u);
  // Old Mac line ends (CR alone) end lines too.
  const auto cr = LanguageFile::ReadTable("FORM=MainX\rOBJE=cmd\rCAPT=Save\r\rFORM=MainX\rOBJE=x");
  ASSERT_EQ(cr.size(), 2u);
  EXPECT_EQ(cr[0].object, "cmd");
  EXPECT_EQ(cr[0].caption, "Save");
  EXPECT_EQ(cr[1].object, "x");
}

TEST(LanguageFile, TableRowsStartAtFormAndSkipStrayFields) {
  const auto t = LanguageFile::ReadTable(
      "OBJE=before,CAPT=orphan\nFORM=MainX\nOBJE=a\nCAPT=one\nCAPT=two\nXXXX=ignored\n"
      "FORM=MainX\nidxx=2\nobje=b\nCapt:x\nfor");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].object, "a");
  EXPECT_EQ(t[0].caption, "two");  // a repeated tag replaces the earlier value
  EXPECT_EQ(t[1].object, "b");
  EXPECT_EQ(t[1].index, "2");
  EXPECT_EQ(t[1].caption, "x");
  EXPECT_TRUE(LanguageFile::ReadTable("OBJE=a,CAPT=b").empty());
}

TEST(LanguageFile, FirstMatchingRowWinsAndIndexPicksOneElement) {
  QWidget host;
  ui::Label time(&host, "00:00:00");
  ui::CommandButton save(&host, "Guardar");
  ui::Label arr0(&host, "e0"), arr1(&host, "e1");
  ui::TextBox box(&host, "text");
  ui::PictureBox pic(&host);
  const ui::ControlOrder order = {{"lblTime", -1, &time}, {"cmd", -1, &save},
                                  {"EQDOWN", 0, &arr0},   {"EQDOWN", 1, &arr1},
                                  {"txtbsq", -1, &box},   {"BTPlay", 0, &pic}};
  const auto table = LanguageFile::ReadTable(
      "FORM=MainX,OBJE=LBLTIME,CAPT=clock\n"
      "FORM=MainX,OBJE=cmd,CAPT=Save\n"
      "FORM=MainX,OBJE=cmd,CAPT=Second\n"
      "FORM=MainX,OBJE=EQDOWN,IDXX=1,CAPT=only one\n"
      "FORM=MainX,OBJE=cmd,IDXX=0,CAPT=not an array\n"
      "FORM=MainX,OBJE=txtbsq,CAPT=\n"
      "FORM=MainX,OBJE=BTPlay,CAPT=no caption\n"
      "FORM=MainX,OBJE=nothere,CAPT=x\n");
  EXPECT_EQ(LanguageFile::Apply(table, order), 4);
  EXPECT_EQ(time.Caption(), "clock");
  EXPECT_EQ(save.Caption(), "Save");
  EXPECT_EQ(arr0.Caption(), "e0");
  EXPECT_EQ(arr1.Caption(), "only one");
  EXPECT_EQ(box.Text(), "");  // an empty caption empties the text
  // An entry without an index covers every element of an array.
  LanguageFile::Apply(LanguageFile::ReadTable("FORM=x,OBJE=eqdown,CAPT=all"), order);
  EXPECT_EQ(arr0.Caption(), "all");
  EXPECT_EQ(arr1.Caption(), "all");
  // No file, or a file with no entries, changes nothing.
  EXPECT_EQ(LanguageFile::Load("/nonexistent/Leng.ini", order), 0);
  EXPECT_EQ(LanguageFile::Apply(LanguageFile::ReadTable("OBJE=cmd,CAPT=zzz"), order), 0);
  EXPECT_EQ(save.Caption(), "Save");
}

// A language file that is a pipe (whose writer would rename the button) or a device that
// never ends is skipped at once. After 3 s a watchdog writes to the pipe, which lets a
// reader blocked on it go on: such a fault fails the test instead of hanging it.
TEST(LanguageFile, APipeOrADeviceIsSkippedAtOnce) {
  QWidget host;
  ui::CommandButton save(&host, "Guardar");
  const ui::ControlOrder order = {{"cmd", -1, &save}};
  const QByteArray fifo = QFile::encodeName(QDir::tempPath()) + "/tv-leng-" +
                          QByteArray::number(QCoreApplication::applicationPid());
  ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    for (int t = 0; t < 3000 && !done; t += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);  // only while one reads
    if (fd < 0) return;
    const char text[] = "FORM=MainX,OBJE=cmd,CAPT=Piped\r\n";
    [[maybe_unused]] const ssize_t n = ::write(fd, text, sizeof text - 1);
    ::close(fd);
  });
  for (const QByteArray& path : {fifo, QByteArray("/dev/zero")}) {
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(LanguageFile::Load(QFile::decodeName(path), order), 0) << path.constData();
    EXPECT_LT(clock.elapsed(), 2000) << path.constData();
  }
  done = true;
  watchdog.join();
  ::unlink(fifo.constData());
  EXPECT_EQ(save.Caption(), "Guardar");
}

}  // namespace
