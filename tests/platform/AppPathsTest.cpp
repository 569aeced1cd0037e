#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/os/AppPaths.h"

namespace {

// An installation as `cmake --install` lays it out: P/bin and P/share/tornavel.
class InstalledPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(prefix()).mkpath("bin"));
    ASSERT_TRUE(QDir(prefix()).mkpath("share/tornavel/Sk/Default"));
  }
  QString prefix() const { return dir.path() + "/usr"; }
  QTemporaryDir dir;
};

TEST_F(InstalledPaths, DataFolderIsFoundFromTheExecutable) {
  EXPECT_EQ(platform::AppPaths::installedDataDir(prefix() + "/bin"), prefix() + "/share/tornavel");
  // With no data folder beside it, the prefix the build was configured for.
  EXPECT_EQ(platform::AppPaths::installedDataDir(dir.path() + "/elsewhere/bin"),
            QStringLiteral(TV_INSTALL_DATADIR));
}

TEST_F(InstalledPaths, BesideTheExecutableComesFirst) {
  platform::AppPaths paths;
  paths.exeDir = prefix() + "/bin";
  paths.dataDir = platform::AppPaths::installedDataDir(paths.exeDir);
  EXPECT_EQ(paths.find("Sk/Default"), prefix() + "/share/tornavel/Sk/Default");
  ASSERT_TRUE(QDir(prefix()).mkpath("bin/Sk/Default"));
  EXPECT_EQ(paths.find("Sk/Default"), prefix() + "/bin/Sk/Default");
  EXPECT_EQ(paths.find("Leng.ini"), prefix() + "/bin/Leng.ini");  // found nowhere
}

// The folder dialog opens in the music folder the desktop names, in ~/Music without one,
// and at home when that folder is not there.
TEST(MusicFolder, TheDesktopsMusicFolderWhenItIsThereElseHome) {
  QTemporaryDir home;
  const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("HOME", QFile::encodeName(home.path()));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/.config"));
  EXPECT_EQ(platform::musicFolder(), home.path());
  ASSERT_TRUE(QDir(home.path()).mkpath("Music"));
  EXPECT_EQ(platform::musicFolder(), home.path() + "/Music");
  ASSERT_TRUE(QDir(home.path()).mkpath(".config"));
  QFile dirs(home.path() + "/.config/user-dirs.dirs");
  ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
  dirs.write("XDG_MUSIC_DIR=\"$HOME/Música\"\n");
  dirs.close();
  EXPECT_EQ(platform::musicFolder(), home.path());  // named, but not made yet
  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Música")));
  EXPECT_EQ(platform::musicFolder(), home.path() + QStringLiteral("/Música"));
  qputenv("HOME", oldHome);
  qputenv("XDG_CONFIG_HOME", oldConfig);
}

}  // namespace
