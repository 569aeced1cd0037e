#include <gtest/gtest.h>

#include <QDir>
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

}  // namespace
