// What a save does to the file system: the temporary it writes, the name limit, hard links,
// special files, and what a killed save leaves for the next start.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>

#include "platform/os/RegularFile.h"
#include "platform/os/TempFile.h"

namespace {

class Saves : public ::testing::Test {
 protected:
  QByteArray file(const QByteArray& name) const {
    return QFile::encodeName(dir.path()) + "/" + name;
  }
  QByteArray read(const QByteArray& path) const {
    QFile f(QFile::decodeName(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
  }
  QStringList names() const {
    QStringList all = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    all.sort();
    return all;
  }
  static QStringList sorted(QStringList l) {
    l.sort();
    return l;
  }
  QTemporaryDir dir;
};

TEST_F(Saves, ALongNameSavesThroughAShortTemporaryOfOurs) {
  // 250 bytes: legal, but with any suffix past the 255 a name may have.
  const QByteArray name = QByteArray(245, 'n') + ".xlst";
  const QByteArray target = file(name);
  const mode_t mask = ::umask(022);
  ASSERT_EQ(platform::saveRegularFile(target, "old"), "");
  ::umask(mask);
  struct stat st {};
  ASSERT_EQ(::stat(target.constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);  // a new file is as readable as the umask lets it be
  ASSERT_EQ(::chmod(target.constData(), 0640), 0);
  ASSERT_EQ(platform::saveRegularFile(target, "new list"), "");
  EXPECT_EQ(read(target), "new list");
  ASSERT_EQ(::stat(target.constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);  // the replaced file's permissions stay
  EXPECT_EQ(names(), QStringList({QString::fromLatin1(name)}));

  platform::TempFile temp;
  ASSERT_EQ(temp.create(QFile::encodeName(dir.path())), 0);
  const QByteArray tempName = temp.path().mid(temp.path().lastIndexOf('/') + 1);
  EXPECT_EQ(tempName.size(), 24);
  EXPECT_TRUE(platform::isTempName(tempName.toStdString()));
}

TEST_F(Saves, SpecialTargetsAreNamedForWhatTheyAre) {
  ASSERT_EQ(::mkfifo(file("pipe").constData(), 0600), 0);
  ASSERT_TRUE(QDir().mkpath(QFile::decodeName(file("folder"))));
  ASSERT_EQ(::symlink("/dev/null", file("dev").constData()), 0);
  ASSERT_EQ(::symlink(file("pipe").constData(), file("to-pipe").constData()), 0);
  ASSERT_EQ(::symlink(file("loop").constData(), file("loop").constData()), 0);
  const struct {
    const char* name;
    const char* why;
  } cases[] = {{"pipe", "it is a pipe"},
               {"folder", "it is a folder"},
               {"dev", "it is a device"},
               {"to-pipe", "it is a pipe"},
               {"loop", "Too many levels of symbolic links"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::saveRegularFile(file(c.name), "x"),
              QStringLiteral("Cannot save %1: %2").arg(QFile::decodeName(file(c.name)), c.why));
  }
  EXPECT_EQ(platform::notARegularFile(file("pipe")), "a pipe");
  EXPECT_EQ(platform::notARegularFile(file("nothing")), "no such file");
  EXPECT_EQ(platform::notARegularFile(file("pipe") + QByteArray(1, '\0')), "no such file");
  EXPECT_EQ(names(), QStringList({"dev", "loop", "pipe", "to-pipe"}));
}

TEST_F(Saves, ALinkedFileIsWrittenWhereTheLinksLead) {
  // A list kept in a synced folder, reached through two links, one of them relative: both
  // links stay, the file at their end gets the text, made or replaced.
  ASSERT_TRUE(QDir().mkpath(QFile::decodeName(file("synced"))));
  ASSERT_EQ(::symlink("synced/List.xlst", file("middle").constData()), 0);
  ASSERT_EQ(::symlink(file("middle").constData(), file("List.xlst").constData()), 0);
  for (const char* text : {"first", "second"}) {
    ASSERT_EQ(platform::saveRegularFile(file("List.xlst"), text), "");
    EXPECT_EQ(read(file("synced/List.xlst")), text);
    EXPECT_TRUE(QFileInfo(QFile::decodeName(file("List.xlst"))).isSymLink());
    EXPECT_TRUE(QFileInfo(QFile::decodeName(file("middle"))).isSymLink());
    EXPECT_EQ(QDir(QFile::decodeName(file("synced"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{"List.xlst"});
  }
}

TEST_F(Saves, HardLinksSeeTheNewContentOnlyWhenAsked) {
  const QByteArray a = file("a.m3u8"), b = file("b.m3u8");
  ASSERT_EQ(platform::saveRegularFile(a, "old"), "");
  ASSERT_EQ(::link(a.constData(), b.constData()), 0);
  struct stat before {};
  ASSERT_EQ(::stat(a.constData(), &before), 0);
  ASSERT_EQ(platform::saveRegularFile(a, "new, longer content", {.throughHardLinks = true}), "");
  struct stat after {};
  ASSERT_EQ(::stat(a.constData(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(read(b), "new, longer content");
  ASSERT_EQ(platform::saveRegularFile(a, "short", {.throughHardLinks = true}), "");
  EXPECT_EQ(read(b), "short");  // cut to the new length
  // Without it the name gets a file of its own, as the playlist file always does.
  ASSERT_EQ(platform::saveRegularFile(a, "split"), "");
  EXPECT_EQ(read(a), "split");
  EXPECT_EQ(read(b), "short");
  EXPECT_EQ(names(), QStringList({"a.m3u8", "b.m3u8"}));
}

TEST_F(Saves, TheStartRemovesOnlyTemporariesThatNoRunningSaveHolds) {
  const QByteArray folder = QFile::encodeName(dir.path());
  for (const char* n : {".tornavel-abcdefghij.tmp", ".tornavel-short.tmp", "tornavel.ini.lock",
                        "tornavel.ini.Ab12Cd", "tornavel.ini.toolong", "List.xlst"})
    ASSERT_EQ(platform::saveRegularFile(file(n), "x"), "");
  ASSERT_EQ(::symlink("List.xlst", file(".tornavel-0123456789.tmp").constData()), 0);
  platform::TempFile held;  // a save that runs: its file stays
  ASSERT_EQ(held.create(folder), 0);
  const QByteArray heldName = held.path().mid(folder.size() + 1);

  EXPECT_EQ(platform::removeStaleTemps(folder, "tornavel.ini"), 3);
  EXPECT_EQ(names(), sorted({".tornavel-0123456789.tmp", ".tornavel-short.tmp",
                             QString::fromLatin1(heldName), "List.xlst", "tornavel.ini.toolong"}));
  // While the toolkit holds its lock, its copy may be the save that runs.
  ASSERT_EQ(platform::saveRegularFile(file("tornavel.ini.Zz99Yy"), "x"), "");
  ASSERT_EQ(platform::saveRegularFile(file("tornavel.ini.lock"), "x"), "");
  const int lock = ::open(file("tornavel.ini.lock").constData(), O_RDONLY);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  EXPECT_EQ(platform::removeStaleTemps(folder, "tornavel.ini"), 0);
  ::close(lock);
  EXPECT_EQ(platform::removeStaleTemps(folder, "tornavel.ini"), 2);
}

TEST_F(Saves, AKilledSaveLeavesTheOldFileWholeAndNothingAfterTheNextStart) {
  const QByteArray target = file("List.xlst");
  const QByteArray old(1 << 20, 'o'), next(8 << 20, 'n');
  ASSERT_EQ(platform::saveRegularFile(target, old), "");
  for (int delayUs : {0, 2000, 8000, 20000}) {
    SCOPED_TRACE(delayUs);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) (void)platform::saveRegularFile(target, next);
    }
    ::usleep(useconds_t(delayUs));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const QByteArray now = read(target);
    EXPECT_TRUE(now == old || now == next) << now.size();
    platform::removeStaleTemps(QFile::encodeName(dir.path()));
    EXPECT_EQ(names(), QStringList({"List.xlst"}));
  }
}

}  // namespace
