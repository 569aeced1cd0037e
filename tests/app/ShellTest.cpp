#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/LanguageFile.h"

#include "support/PlayerFixture.h"

namespace {

class Shell : public fixtures::PlayerFixture {
 protected:
  QString file(const std::string& name) { return QString::fromStdString(dir.file(name)); }
};

TEST_F(Shell, SettingsMatchWhateverTheCaseSurviveARestartAndFollowALink) {
  platform::SettingsStore& s = program->settings();
  EXPECT_EQ(s.GetSetting("TORNAVEL", "CONFIGEQ", "3", "48"), "48");
  s.SaveSetting("Torna Vel", "config", "dbadir", "/music/db.txt");
  EXPECT_EQ(s.GetSetting("TORNA VEL", "CONFIG", "DBADIR", "x"), "/music/db.txt");
  s.SaveSetting("TORNA VEL", "CONFIG", "DBADIR", "");
  EXPECT_EQ(s.GetSetting("torna vel", "Config", "DbaDir", "default"), "");  // empty, not missing
  platform::SettingsStore again(s.path());
  EXPECT_EQ(again.GetSetting("TORNA VEL", "CONFIG", "DBADIR", "default"), "");
  EXPECT_TRUE(s.ok());

  // Settings kept elsewhere behind a link: the link stays, its target holds the values.
  QDir().mkpath(file("elsewhere"));
  ASSERT_EQ(::symlink(dir.file("elsewhere/tornavel.ini").c_str(), dir.file("linked.ini").c_str()),
            0);
  {
    platform::SettingsStore linked(file("linked.ini"));
    linked.SaveSetting("TORNA VEL", "CONFIG", "DBADIR", "/music/db.txt");
    EXPECT_TRUE(linked.ok());
  }
  EXPECT_TRUE(QFileInfo(file("linked.ini")).isSymLink());
  EXPECT_EQ(platform::SettingsStore(file("elsewhere/tornavel.ini"))
                .GetSetting("TORNA VEL", "CONFIG", "DBADIR", ""),
            "/music/db.txt");
}

TEST_F(Shell, AFirstStartOffersALibraryScan) {
  app::MainX& main = start();
  EXPECT_EQ(main.options().txtBase[0]->Text(), program->paths().defaultLibraryFile());
  EXPECT_EQ(main.options().txtBase[1]->Text(), program->paths().defaultPlaylistFile());
  EXPECT_TRUE(main.library().view().frmbusq->Visible());
  EXPECT_TRUE(main.shell().PICFICHEROS->Visible());
  EXPECT_EQ(main.shell().panelMarker(), 1);
  EXPECT_EQ(main.shell().ETQBACK->Caption(), "1017");
  EXPECT_EQ(main.playlist().view().LSTMP3->ColumnCount(), 6);
  EXPECT_EQ(main.playlist().view().LSTMP3->ColumnHeading(3), "Ruta");
  EXPECT_EQ(main.playlist().view().LSTMP3->ColumnWidth(0), 400.0f);
  EXPECT_EQ(main.playlist().view().LSTMP3->ColumnWidth(3), 1.0f);
  EXPECT_EQ(program->settings().GetSetting("tornavel", "Config", "SkinName", "?"), "Default");
}

TEST_F(Shell, SavedPathsComeBackAndAnExistingLibraryKeepsTheLayout) {
  QFile db(file("db.txt"));
  ASSERT_TRUE(db.open(QIODevice::WriteOnly));
  db.write("/music/a.mp3\r\n");
  db.close();
  {
    app::MainX& main = program->loadMainX();
    main.options().txtBase[0]->setText(file("db.txt"));
    main.options().txtBase[1]->setText(file("my list.xlst"));
    main.options().cmd_Click();
    main.options().slDur->setValue(70);
    main.options().slVel->setValue(88);
    main.options().cmdrest_Click();  // refills the boxes only; nothing is written
    EXPECT_EQ(main.options().txtBase[0]->Text(), program->paths().defaultLibraryFile());
    EXPECT_EQ(main.options().txtBase[1]->Text(), program->paths().defaultPlaylistFile());
    EXPECT_EQ(main.options().slDur->Value(), 95);
    EXPECT_EQ(main.options().slVel->Value(), 50);
    EXPECT_EQ(program->settings().GetSetting("TORNA VEL", "CONFIG", "LSTDIR", ""),
              file("my list.xlst"));
    main.options().txtBase[1]->setText(file("my list.xlst"));  // what this run saves at exit
  }
  program.reset();
  SetUp();
  app::MainX& main = start();
  EXPECT_EQ(main.options().txtBase[0]->Text(), file("db.txt"));
  EXPECT_EQ(main.options().txtBase[1]->Text(), file("my list.xlst"));
  EXPECT_FALSE(main.library().view().frmbusq->Visible());
  EXPECT_EQ(main.shell().panelMarker(), 0);
}

TEST_F(Shell, PanelsAndWindowDrag) {
  app::MainX& main = start();
  main.form().Show();
  main.shell().PanelPIC_Click(4);
  EXPECT_EQ(main.shell().panelMarker(), 4);
  QWidget* options = main.shell().frmPanelx[4]->widget();
  const QWidget* parent = options->parentWidget();
  EXPECT_EQ(parent->children().indexOf(options) >
                parent->children().indexOf(main.shell().PICFICHEROS->widget()),
            true);                 // in front of the library
  main.shell().PanelPIC_Click(2);  // only records the tab
  EXPECT_EQ(main.shell().panelMarker(), 2);
  EXPECT_GT(parent->children().indexOf(options),
            parent->children().indexOf(main.shell().frmPanelx[5]->widget()));
  main.shell().PanelPIC_Click(1);
  EXPECT_GT(parent->children().indexOf(main.shell().PICFICHEROS->widget()),
            parent->children().indexOf(options));
  main.shell().PanelPIC_Click(9);  // no such panel: only the tag
  EXPECT_EQ(main.shell().panelMarker(), 9);

  QWidget* w = main.form().widget();
  const QPoint start = w->pos();
  main.shell().Form_MouseDown(2, 0, 300, 300);
  main.shell().Form_MouseMove(2, 0, 600, 900);  // the right button does not drag
  EXPECT_EQ(w->pos(), start);
  main.shell().Form_MouseMove(1, 0, 450, 600);
  EXPECT_EQ(w->pos(), start + QPoint(10, 20));
  main.shell().Form_MouseUp(1, 0, 0, 0);
  main.shell().Form_MouseMove(1, 0, 900, 900);
  EXPECT_EQ(w->pos(), start + QPoint(10, 20));

  main.decks().MTimer->setEnabled(false);
  main.playlist().view().Label1->click();
  EXPECT_TRUE(main.decks().MTimer->Enabled());
}

TEST_F(Shell, ExampleLanguageFilesTranslateEveryCaption) {
  for (const char* lang : {"en", "es"}) {
    SCOPED_TRACE(lang);
    program.reset();
    SetUp();
    const QString source = QStringLiteral(TV_DATA_DIR "/Leng-%1.ini").arg(lang);
    QDir().mkpath(program->paths().exeDir);
    QFile::remove(program->paths().exeDir + "/Leng.ini");
    ASSERT_TRUE(QFile::copy(source, program->paths().exeDir + "/Leng.ini"));
    app::MainX& main = start();
    const bool en = std::string(lang) == "en";
    EXPECT_EQ(main.options().cmd->Caption(), en ? "Save" : "Guardar");
    EXPECT_EQ(main.library().view().cmdbuq[1]->Caption(), en ? "Scan" : "Escanear");
    EXPECT_EQ(main.options().lblBase[1]->Caption(), en ? "Playlist file" : "Ruta de Lista");
    EXPECT_EQ(main.library().view().txtbsq->Text(),
              en ? "Click here to choose a folder" : "Click aqui para seleccionar carpeta");
    // Every entry of the file names a control of the window.
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const auto table = app::LanguageFile::ReadTable(f.readAll());
    EXPECT_EQ(app::LanguageFile::Apply(table, main.controlOrder()), int(table.size()));
  }
}

}  // namespace
