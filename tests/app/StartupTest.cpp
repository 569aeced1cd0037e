#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "support/PlayerFixture.h"

namespace {

using Startup = fixtures::PlayerFixture;

TEST_F(Startup, StagesRunOnceAndTheMainWindowFollowsThem) {
  app::FrmSplash& splash = program->splash();
  EXPECT_TRUE(splash.form().Visible());
  EXPECT_TRUE(splash.fistLoad->Enabled());
  EXPECT_TRUE(splash.tomain->Enabled());
  EXPECT_EQ(splash.fistLoad->Interval(), 100);
  EXPECT_EQ(splash.tomain->Interval(), 550);
  EXPECT_EQ(program->mainX(), nullptr);
  EXPECT_TRUE(program->engine().System.initialized());
  for (int i = 0; i < 16; ++i) EXPECT_NE(program->engine().EqUnits[std::size_t(i)], 0u);
  EXPECT_EQ(program->engine().EqUnits[16], 0u);
  EXPECT_NE(program->engine().ChorusUnit, 0u);

  program->startup().fistLoad_Timer();
  app::MainX* main = program->mainX();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(main->form().Visible());
  EXPECT_EQ(splash.lblStat->Caption(), "Loading Skin...");
  EXPECT_FALSE(splash.fistLoad->Enabled());
  EXPECT_EQ(main->shell().ETQBACK->Caption(), "1017");
  // Volumes come from the knobs, which sit at the top: full level.
  EXPECT_EQ(deck(0).Volume, 1.0f);
  EXPECT_EQ(deck(1).Volume, 1.0f);

  program->startup().fistLoad_Timer();  // a late tick does not start the stages again
  EXPECT_EQ(program->mainX(), main);

  program->startup().tomain_Timer();
  EXPECT_TRUE(main->form().Visible());
  EXPECT_FALSE(splash.form().Visible());
  EXPECT_FALSE(splash.tomain->Enabled());
  EXPECT_EQ(main->form().Caption(), "Torna Vel");
  EXPECT_EQ(ends, 0);
}

TEST_F(Startup, ExitFromTheSplashRunsTheFullShutDown) {
  fixtures::writeWav(dir.file("a.wav"), {{440, 2.0}});
  app::MainX& main = program->loadMainX();
  ASSERT_EQ(
      main.decks().engine().OpenDeckTrack(QByteArray::fromStdString(dir.file("a.wav")), 0, true),
      audio::DeckActions::Open::Opened);
  program->startup().cmdExit_Click();
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(program->ended());
  EXPECT_FALSE(program->engine().System.initialized());
  EXPECT_FALSE(program->splash().fistLoad->Enabled());
  EXPECT_FALSE(program->splash().tomain->Enabled());
  EXPECT_FALSE(main.decks().MTimer->Enabled());
  // Closing the window afterwards does not shut down twice.
  main.form().widget()->close();
  main.BTend_Click();
  EXPECT_EQ(ends, 1);
}

TEST_F(Startup, ExitDuringTheLibraryLoadEndsItThere) {
  QFile db(QString::fromStdString(dir.file("db.txt")));
  ASSERT_TRUE(db.open(QIODevice::WriteOnly));
  for (int i = 0; i < 5000; ++i) db.write("/m/" + QByteArray::number(i) + ".mp3\r\n");
  db.close();
  app::MainX& main = program->loadMainX();
  main.options().txtBase[0]->setText(db.fileName());
  EXPECT_TRUE(main.LoadBaseDa());
  program->startup().cmdExit_Click();
  EXPECT_EQ(ends, 1);
  // The load's thread has ended; whatever it had read never reaches the list.
  EXPECT_FALSE(main.library().worker().busy(library::LibraryWorker::All));
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(main.library().libraryModel().count(), 0);
}

TEST(Timer, EnablingARunningTimerKeepsItsTickDue) {
  ui::Timer t(nullptr, 200, true);
  QElapsedTimer clock;
  clock.start();
  bool fired = false;
  t.onTimer = [&] { fired = true; };
  QTest::qWait(120);
  t.setEnabled(true);  // the hand-over timer is enabled again by a later stage
  ASSERT_TRUE(QTest::qWaitFor([&] { return fired; }, 1000));
  EXPECT_LT(clock.elapsed(), 290);
}

TEST_F(Startup, ClosingTheMainWindowByOtherMeansUnloadsIt) {
  app::MainX& main = start();
  main.form().widget()->close();
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(program->engine().System.initialized());
}

}  // namespace

namespace {

TEST_F(Startup, BinaryLibraryPlaylistAndLanguageFilesDoNotStopTheStart) {
  const platform::AppPaths& paths = program->paths();
  QDir().mkpath(paths.exeDir);
  QDir().mkpath(paths.userDataDir);
  fixtures::writeRandom(paths.defaultLibraryFile().toStdString(), 1 << 20, 3);
  fixtures::writeRandom(paths.defaultPlaylistFile().toStdString(), 1 << 20, 4);
  fixtures::writeRandom((paths.exeDir + "/Leng.ini").toStdString(), 1 << 20, 5);
  app::MainX& main = start();
  EXPECT_TRUE(main.form().Visible());
  main.library().worker().drain(10000);
  EXPECT_GT(main.library().libraryModel().count(), 0);  // whatever lines there were, as paths
  EXPECT_EQ(main.library().view().lblCntLST->Caption(),
            QString::number(main.library().libraryModel().count()));
  main.BTend_Click();
  EXPECT_EQ(ends, 1);
}

}  // namespace
