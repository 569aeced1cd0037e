#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QSet>

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
  // Its window is made in the wait, so that the hand-over only maps it.
  EXPECT_NE(main->form().widget()->windowHandle(), nullptr);
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

namespace {

QAccessibleInterface* accessible(const app::MainX& main, const QString& name) {
  for (const ui::NamedControl& c : main.controlOrder())
    if (c.control->widget()->accessibleName() == name)
      return QAccessible::queryAccessibleInterface(c.control->widget());
  return nullptr;
}

// Screen readers and scripts find every control by its name with its index, and the decks'
// controls by what they are: a press of a play button plays, a knob tells its value.
TEST_F(Startup, EveryControlHasItsOwnAccessibleNameAndTheDecksSayWhatTheyAre) {
  app::MainX& main = start();
  QSet<QString> names;
  for (const ui::NamedControl& c : main.controlOrder()) {
    const QString name = c.index < 0 ? c.name : c.name + "(" + QString::number(c.index) + ")";
    EXPECT_EQ(c.control->widget()->accessibleName(), name);
    EXPECT_FALSE(names.contains(name)) << name.toStdString();
    names.insert(name);
  }
  EXPECT_GT(names.size(), 100);

  fixtures::writeWav(dir.file("a.wav"), {{440, 2.0}});
  ASSERT_EQ(
      main.decks().engine().OpenDeckTrack(QByteArray::fromStdString(dir.file("a.wav")), 0, false),
      audio::DeckActions::Open::Opened);
  QAccessibleInterface* play = accessible(main, "BTPlay(0)");
  ASSERT_NE(play, nullptr);
  EXPECT_EQ(play->role(), QAccessible::Button);
  EXPECT_EQ(play->text(QAccessible::Description), "Deck A play");
  ASSERT_NE(play->actionInterface(), nullptr);
  EXPECT_FALSE(deck(0).Playing);
  play->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(deck(0).Playing);
  EXPECT_GT(fixtures::magnitudeAt(render(0.3), 44100, 440), 0.3);

  QAccessibleInterface* volume = accessible(main, "XVolBT(1)");
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(volume->role(), QAccessible::Slider);
  ASSERT_NE(volume->valueInterface(), nullptr);
  EXPECT_EQ(volume->valueInterface()->currentValue().toDouble(), 100.0);
  main.decks().engine().SetVolumeKnob(1, main.deck(1).volumeTravel() / 4);
  EXPECT_EQ(volume->valueInterface()->currentValue().toDouble(), 75.0);
  EXPECT_EQ(accessible(main, "MASTSL")->valueInterface()->currentValue().toDouble(), 100.0);
}

}  // namespace
