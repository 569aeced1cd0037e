#include <QDir>
#include <QFile>
#include <QTest>

#include "support/PlayerFixture.h"

namespace {

// Skins come from the build's Sk folder, copied beside a test executable folder.
class Skins : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    const QString exe = program->paths().exeDir;
    for (const char* name : {"Default", "Light"})
      copyFolder(QStringLiteral(TV_BIN_DIR "/Sk/") + name, exe + "/Sk/" + name);
  }
  static void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files))
      QFile::copy(from + "/" + f, to + "/" + f);
  }
  static QImage image(const ui::PictureBox* p) { return p->Picture().toImage(); }
  // Whether `p` shows the bitmap `file` (a name alone is one of the default skin's).
  static bool shows(const ui::PictureBox* p, QString file) {
    if (!file.contains('/')) file = QStringLiteral(TV_BIN_DIR "/Sk/Default/") + file;
    return image(p) == QImage(file).convertToFormat(image(p).format());
  }
  std::vector<ui::PictureBox*> skinned(app::MainX& m) {
    std::vector<ui::PictureBox*> all = {m.library().view().BaseImg, m.shell().frmPanelx[5],
                                        m.decks().MasterVOL,        m.decks().MASTSL,
                                        m.browser().view().cmdback, m.browser().view().cmdgodo,
                                        m.browser().view().cmdVEW};
    for (auto* p : m.shell().PanelPIC) all.push_back(p);
    for (int d = 0; d < 2; ++d) {
      const audio::DeckPanel& k = m.deck(d);
      for (auto* p : {k.pl1, k.XPitch, k.XPicthBt, k.cmdPicthRe, k.BTPause, k.BTPlay, k.BTStop,
                      k.XVolBT, k.XVolSL, k.SLPos, k.SLPosLeft, k.PosBT, k.ChkPicPlato})
        all.push_back(p);
    }
    return all;
  }
};

TEST_F(Skins, TheDefaultSkinFitsTheLayoutAndASwitchChangesEveryControl) {
  app::MainX& main = start();
  EXPECT_EQ(main.skinLoader().SkinName(), "Default");
  std::vector<QImage> before;
  for (auto* p : skinned(main)) {
    EXPECT_FALSE(p->Picture().isNull());
    before.push_back(image(p));
  }
  // The skin's sizes keep the knob arithmetic true.
  EXPECT_EQ(main.deck(0).XPitch->Height() - main.deck(0).XPicthBt->Height(), 1005.0f);
  const float volTravel = main.deck(1).XVolSL->Height() - main.deck(1).XVolBT->Height();
  EXPECT_EQ(std::fmod(volTravel, 15.0f), 0.0f);
  EXPECT_EQ(main.deck(0).ETQPICTH->Caption(), "PITCH 0.0 VOL 1.0");

  program->settings().SaveSetting("TORNAVEL", "CONFIG", "SKINNAME", "Light");
  main.shell().cmdlsk->click();
  EXPECT_EQ(main.skinLoader().SkinName(), "Light");
  const auto after = skinned(main);
  for (std::size_t i = 0; i < after.size(); ++i) EXPECT_NE(image(after[i]), before[i]) << i;

  // An empty name falls back to the default and is written back.
  program->settings().SaveSetting("tornavel", "Config", "SkinName", "");
  main.LoadSkin();
  EXPECT_EQ(main.skinLoader().SkinName(), "Default");
  EXPECT_EQ(program->settings().GetSetting("tornavel", "Config", "SkinName", "?"), "Default");
  EXPECT_EQ(image(main.library().view().BaseImg), before[0]);
}

TEST_F(Skins, MixedCaseNamesAreFoundAndAMissingBitmapKeepsThePicture) {
  const QString odd = program->paths().exeDir + "/Sk/Odd";
  copyFolder(program->paths().exeDir + "/Sk/Light", odd);
  QFile::rename(odd + "/BTPlay0.bmp", odd + "/btplay0.BMP");
  QFile::remove(odd + "/BTPause0.bmp");
  QFile(odd + "/MasterSLButton.bmp").resize(10);  // unreadable
  app::MainX& main = start();
  const QImage pause = image(main.deck(0).BTPause);
  const QImage master = image(main.decks().MASTSL);
  program->settings().SaveSetting("tornavel", "Config", "SkinName", "Odd");
  main.LoadSkin();
  EXPECT_TRUE(shows(main.deck(1).BTPlay, odd + "/btplay0.BMP"));
  EXPECT_EQ(image(main.deck(0).BTPause), pause);
  EXPECT_EQ(image(main.decks().MASTSL), master);
}

TEST_F(Skins, TransportButtonsStayPressedUntilThePointerPassesFree) {
  app::MainX& main = start();
  ui::PictureBox& play = *main.deck(1).BTPlay;
  const QImage normal = image(&play);
  play.mouseDown(1, 0, 10, 10);
  const QImage pressed = image(&play);
  EXPECT_NE(pressed, normal);
  play.mouseUp(1, 0, 99999, 99999);  // released outside: still pressed
  EXPECT_EQ(image(&play), pressed);
  play.mouseMove(1, 0, 10, 10);  // a button held: nothing changes
  EXPECT_EQ(image(&play), pressed);
  play.mouseMove(0, 0, 10, 10);
  EXPECT_EQ(image(&play), normal);

  ui::PictureBox& stop = *main.deck(0).BTStop;
  const QImage stopNormal = image(&stop);
  stop.mouseDown(2, 0, 1, 1);  // any button presses it
  EXPECT_NE(image(&stop), stopNormal);
}

TEST_F(Skins, DeckTogglesShowTheSelectedDeckAndItsTitle) {
  app::MainX& main = start();
  fixtures::writeWav(dir.file("Night Drive.mp3"), {{440, 0.5}});
  for (int d : {0, 1})
    EXPECT_EQ(main.decks().engine().OpenDeckTrack(
                  QByteArray::fromStdString(dir.file("Night Drive.mp3")), d, false),
              audio::DeckActions::Open::Opened);
  main.deck(0).ETQ_TITULO->setCaption("Song.mp3");
  EXPECT_TRUE(main.deck(1).chksel->Value());
  EXPECT_TRUE(shows(main.deck(1).ChkPicPlato, "CHKSEL1UP.bmp"));

  main.deck(0).ChkPicPlato->click();
  EXPECT_TRUE(main.deck(0).chksel->Value());
  EXPECT_FALSE(main.deck(1).chksel->Value());
  EXPECT_EQ(main.form().Caption(), "Torna Vel - Song.mp3");  // the title as the deck shows it
  EXPECT_TRUE(shows(main.deck(0).ChkPicPlato, "CHKSEL0UP.bmp"));
  EXPECT_TRUE(shows(main.deck(1).ChkPicPlato, "CHKSEL1.bmp"));

  // A short title is a title too; a deck with none leaves the caption alone.
  main.deck(1).ETQ_TITULO->setCaption("Abcd");
  main.skinnedButtons().ChkPicPlato_Click(1);
  EXPECT_EQ(main.form().Caption(), "Torna Vel - Abcd");
  main.deck(0).ETQ_TITULO->setCaption("");
  main.skinnedButtons().ChkPicPlato_Click(0);
  EXPECT_EQ(main.form().Caption(), "Torna Vel - Abcd");
  main.skinnedButtons().ChkPicPlato_Click(1);
  // The loader sets the toggles from the selected deck.
  main.LoadSkin();
  EXPECT_TRUE(shows(main.deck(1).ChkPicPlato, "CHKSEL1UP.bmp"));
  // A user's click on the other option selects its deck, and a new skin shows that one.
  main.form().Show();
  QTest::mouseClick(main.deck(0).chksel->radio(), Qt::LeftButton);
  EXPECT_EQ(main.decks().engine().SelectedDeck(), 0);
  main.LoadSkin();
  EXPECT_TRUE(shows(main.deck(0).ChkPicPlato, "CHKSEL0UP.bmp"));
}

}  // namespace
