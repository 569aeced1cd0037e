// The whole player against what a hostile or unlucky user gives it: a settings file it
// must not use, names built to slip past its checks, a million files handed over at once,
// saves killed half way.
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include "app/Handover.h"
#include "support/PlayerFixture.h"

namespace {

using Start = playlist::PlaylistActions::Start;

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The texts of the message boxes the window shows.
QStringList shownBoxes() {
  QStringList out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) out << box->text();
  return out;
}

class HostileInput : public fixtures::PlayerFixture {
 protected:
  QString settingsFile() { return program->paths().settingsFile; }
  QByteArray file(const char* name) { return QByteArray::fromStdString(dir.file(name)); }
  void makeFile(const QByteArray& path) {
    QFile(QString::fromLocal8Bit(path)).open(QIODevice::WriteOnly);
  }
};

// A settings file over 1 MiB, a pipe, or a link to a device that never ends: the player
// starts on its defaults, says once which file it does not use and why, and neither the
// equaliser nor the exit saves over it.
class RefusedSettings : public HostileInput,
                        public ::testing::WithParamInterface<std::pair<const char*, const char*>> {
};

TEST_P(RefusedSettings, TheStartRunsOnDefaultsAndTheFileIsLeftAlone) {
  const QString ini = settingsFile();
  program.reset();
  QDir().mkpath(QFileInfo(ini).absolutePath());
  const std::string kind = GetParam().first;
  if (kind == "big") {
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[TORNAVEL.CONFIGEQ]\n0=12\n" + QByteArray(2 << 20, ';'));
  } else if (kind == "pipe") {
    ASSERT_EQ(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
  } else {
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(ini).constData()), 0);
  }
  const QByteArray before = kind == "big" ? readAll(ini) : QByteArray();
  testing::internal::CaptureStderr();
  SetUp();
  app::MainX& m = start();
  const std::string err = testing::internal::GetCapturedStderr();
  const QString refusal = program->settings().refusal();
  EXPECT_EQ(refusal, QStringLiteral("The settings file %1 is not used (%2): this run starts from "
                                    "the default settings and saves none of them.")
                         .arg(ini, QString::fromLatin1(GetParam().second)));
  EXPECT_EQ(err.find("tornavel.ini"), err.rfind("tornavel.ini")) << err;  // one line
  EXPECT_NE(err.find(refusal.toStdString()), std::string::npos) << err;
  EXPECT_EQ(shownBoxes(), QStringList({refusal}));
  EXPECT_EQ(m.equaliser().SLPIC[0]->Top(), m.equaliser().SLPIC[5]->Top());  // not the file's 12
  // Every use of the store during the run and at its end.
  m.equaliser().SLPIC[3]->setTop(100);
  program->settings().SaveSettings("TORNAVEL", "CONFIGEQ", {{"1", "60"}});
  EXPECT_TRUE(program->settings().contains("TORNAVEL", "CONFIGEQ", "1"));
  m.BTend_Click();
  EXPECT_EQ(ends, 1);
  struct stat st {};
  ASSERT_EQ(::lstat(QFile::encodeName(ini).constData(), &st), 0);
  const mode_t type = kind == "big" ? S_IFREG : kind == "pipe" ? S_IFIFO : S_IFLNK;
  EXPECT_EQ(st.st_mode & S_IFMT, type);
  EXPECT_EQ(kind == "big" ? readAll(ini) : QByteArray(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedSettings,
    ::testing::Values(std::pair{"big", "2097177 bytes, more than a settings file holds"},
                      std::pair{"pipe", "it is a pipe"}, std::pair{"zero", "it is a device"}));

// Each way in takes the good name and refuses one that hides a NUL (the system would open
// the file before it) or a line break (the playlist file would split it), with one message.
TEST_F(HostileInput, NamesWithANulOrALineBreakAreRefusedWhereverTheyEnter) {
  app::MainX& m = start();
  playlist::Playlist& list = m.playlist().list();
  QStringList errors;
  list.showError = [&](const QString& text) { errors << text; };
  const QByteArray good = file("good.mp3"), secret = file("secret.txt");
  makeFile(good);
  makeFile(secret);
  makeFile(file("two\nlines.mp3"));
  makeFile(file("cr\rname.wma"));
  const QByteArrayList hostile = {secret + QByteArray(1, '\0') + ".mp3", file("two\nlines.mp3"),
                                  file("cr\rname.wma")};
  const QByteArrayList all = hostile + QByteArrayList{good};
  app::Handover handover(program->sharedFileTypes());
  handover.receiver = [&](const QByteArrayList& f) {
    program->openFiles(f, Start::UnlessPlaying, true);
  };
  QFile m3u(QString::fromLocal8Bit(file("set.m3u")));
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write("file://" + file("two%0Alines.mp3") + "\nfile://" + file("cr%0Dname.wma") +
            "\ngood.mp3\n");
  m3u.close();
  const std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"command line", [&] { program->openFiles(all, Start::Always, false); }},
      {"hand-over",
       [&] {
         EXPECT_EQ(handover.OpenFiles(all), 1u);
         QCoreApplication::sendPostedEvents();
       }},
      {"media controls",
       [&] {
         for (const char* uri :
              {"secret.txt%00.mp3", "two%0Alines.mp3", "cr%0Dname.wma", "good.mp3"})
           m.mpris().OpenUri(QString::fromUtf8("file://" + file(uri)));
       }},
      {"drop", [&] { list.LSTMP3_FilesDropped(all, 100, 120); }},
      {"other player's list", [&] { list.LSTMP3_FilesDropped({file("set.m3u")}, 100, 120); }},
  };
  for (const auto& [way, open] : ways) {
    SCOPED_TRACE(way);
    list.cmdCls_Click();
    errors.clear();
    open();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();  // the zero-time report
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.path(1), good);
    const int refused = std::string(way) == "other player's list" ? 2 : 3;
    EXPECT_EQ(errors, QStringList({QStringLiteral("%1 files were left out of the playlist: their "
                                                  "names hold a line break or a NUL byte, which "
                                                  "the playlist file cannot keep.")
                                       .arg(refused)}));
  }
  // A deck never opens a file that is not audio; the playlist file holds the good entry.
  EXPECT_EQ(m.decks().engine().OpenDeckTrack(secret, 0, true), audio::DeckActions::Open::Refused);
  EXPECT_EQ(m.decks().engine().OpenDeckTrack(secret + QByteArray(1, '\0') + ".mp3", 0, true),
            audio::DeckActions::Open::Refused);
  m.BTend_Click();
  EXPECT_EQ(readAll(program->paths().defaultPlaylistFile()), "[X -LIST]\r\nFIL" + good + "\r\n");
}

// A quarter of a million names handed over at once: the call answers at once, and while
// they go in no turn of the window's loop works for 100 ms or more.
TEST_F(HostileInput, AQuarterMillionHandedOverFilesGoInWhileTheWindowAnswers) {
  constexpr int kNames = 250000;
  app::MainX& m = start();
  // A thousand files seen through 250 links to their folder: 250,000 names.
  QDir().mkpath(QString::fromStdString(dir.file("m")));
  for (int i = 0; i < 1000; ++i)
    makeFile(file("m/") + "Artist - " + QByteArray::number(i) + ".mp3");
  QByteArrayList names;
  names.reserve(kNames);
  for (int d = 0; d < kNames / 1000; ++d) {
    const QByteArray link = file("d") + QByteArray::number(d);
    ASSERT_EQ(::symlink(dir.file("m").c_str(), link.constData()), 0);
    for (int i = 0; i < 1000; ++i) names << link + "/Artist - " + QByteArray::number(i) + ".mp3";
  }
  app::Handover handover(program->sharedFileTypes());
  handover.receiver = [&](const QByteArrayList& f) {
    program->openFiles(f, Start::UnlessPlaying, true);
  };
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(handover.OpenFiles(names), uint(kNames));
  const qint64 answeredMs = clock.elapsed();

  // The window thread's user CPU time between probe ticks is the work one turn of its loop
  // did: a process the machine leaves waiting does not count, nor does the kernel's time in
  // it, which a machine short of memory inflates in bursts; a fill that holds the loop does.
  const auto cpuMs = [] {
    rusage r{};
    ::getrusage(RUSAGE_THREAD, &r);
    return qint64(r.ru_utime.tv_sec) * 1000 + r.ru_utime.tv_usec / 1000;
  };
  playlist::Playlist& list = m.playlist().list();
  QEventLoop loop;
  QTimer probe;
  qint64 last = cpuMs(), worst = 0;
  probe.setInterval(5);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = cpuMs();
    worst = std::max(worst, now - last);
    last = now;
    if (list.count() == kNames || clock.elapsed() > 300000) loop.quit();
  });
  probe.start();
  loop.exec();
  std::printf(
      "hand-over of %d names: answered in %lld ms, filled in %lld ms, most window "
      "CPU time in one turn %lld ms\n",
      kNames, (long long)answeredMs, (long long)clock.elapsed(), (long long)worst);
  ASSERT_EQ(list.count(), kNames);
  EXPECT_EQ(list.path(kNames), names.last());
  EXPECT_EQ(m.playlist().model().text(kNames - 1, playlist::PlaylistModel::Number),
            QString::number(kNames));
  EXPECT_LT(worst, 100);
}

// Saves cut short by a kill leave temporaries; the next start removes them beside the
// playlist file and beside the settings (which ones it may remove, the save tests say).
TEST_F(HostileInput, TheStartRemovesWhatKilledSavesLeft) {
  const QString lists = QFileInfo(program->paths().defaultPlaylistFile()).absolutePath();
  const QString ini = QFileInfo(settingsFile()).absolutePath();
  QDir().mkpath(lists);
  QDir().mkpath(ini);
  for (const QString& f : {lists + "/.tornavel-killed0001.tmp", lists + "/mine.tmp",
                           ini + "/tornavel.ini.lock", ini + "/tornavel.ini.x1Y2z3"})
    makeFile(QFile::encodeName(f));
  start();
  // (The track database lives there too.)
  EXPECT_EQ(QDir(lists).entryList({"*.tmp"}, QDir::Files | QDir::Hidden),
            QStringList({"mine.tmp"}));
  EXPECT_EQ(QDir(ini).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            QStringList({"keys.txt", "tornavel.ini"}));
}

}  // namespace
