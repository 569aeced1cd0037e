#include <QDir>
#include <QFile>

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
  std::vector<ui::PictureBox*> skinned(app::MainX& m) {
    std::vector<ui::PictureBox*> all = {m.BaseImg, m.frmPanelx5, m.MasterVOL, m.MASTSL,
                                        m.cmdback, m.cmdgodo,    m.cmdVEW};
    for (auto* p : m.PanelPIC) all.push_back(p);
    for (int d = 0; d < 2; ++d)
      for (auto* arr :
           {&m.deck.pl1, &m.deck.XPitch, &m.deck.XPicthBt, &m.deck.cmdPicthRe, &m.deck.BTPause,
            &m.deck.BTPlay, &m.deck.BTStop, &m.deck.XVolBT, &m.deck.XVolSL, &m.deck.SLPos,
            &m.deck.SLPosLeft, &m.deck.PosBT, &m.deck.ChkPicPlato})
        all.push_back((*arr)[std::size_t(d)]);
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
  EXPECT_EQ(main.deck.XPitch[0]->Height() - main.deck.XPicthBt[0]->Height(), 1005.0f);
  const float volTravel = main.deck.XVolSL[1]->Height() - main.deck.XVolBT[1]->Height();
  EXPECT_EQ(std::fmod(volTravel, 15.0f), 0.0f);
  EXPECT_EQ(main.deck.ETQPICTH[0]->Caption(), "PITCH 0.0 VOL 1.0");

  program->settings().SaveSetting("TORNAVEL", "CONFIG", "SKINNAME", "Light");
  main.cmdlsk->click();
  EXPECT_EQ(main.skinLoader().SkinName(), "Light");
  const auto after = skinned(main);
  for (std::size_t i = 0; i < after.size(); ++i) EXPECT_NE(image(after[i]), before[i]) << i;

  // An empty name falls back to the default and is written back.
  program->settings().SaveSetting("tornavel", "Config", "SkinName", "");
  main.Form_Click();
  EXPECT_EQ(main.skinLoader().SkinName(), "Default");
  EXPECT_EQ(program->settings().GetSetting("tornavel", "Config", "SkinName", "?"), "Default");
  EXPECT_EQ(image(main.BaseImg), before[0]);
}

TEST_F(Skins, MixedCaseNamesAreFoundAndAMissingBitmapKeepsThePicture) {
  const QString odd = program->paths().exeDir + "/Sk/Odd";
  copyFolder(program->paths().exeDir + "/Sk/Light", odd);
  QFile::rename(odd + "/BTPlay0.bmp", odd + "/btplay0.BMP");
  QFile::remove(odd + "/BTPause0.bmp");
  QFile(odd + "/MasterSLButton.bmp").resize(10);  // unreadable
  app::MainX& main = start();
  const QImage pause = image(main.deck.BTPause[0]);
  const QImage master = image(main.MASTSL);
  program->settings().SaveSetting("tornavel", "Config", "SkinName", "Odd");
  main.LoadSkin();
  QImage light(odd + "/btplay0.BMP");
  EXPECT_EQ(image(main.deck.BTPlay[1]), light.convertToFormat(image(main.deck.BTPlay[1]).format()));
  EXPECT_EQ(image(main.deck.BTPause[0]), pause);
  EXPECT_EQ(image(main.MASTSL), master);
}

TEST_F(Skins, TransportButtonsStayPressedUntilThePointerPassesFree) {
  app::MainX& main = start();
  ui::PictureBox& play = *main.deck.BTPlay[1];
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

  ui::PictureBox& stop = *main.deck.BTStop[0];
  const QImage stopNormal = image(&stop);
  stop.mouseDown(2, 0, 1, 1);  // any button presses it
  EXPECT_NE(image(&stop), stopNormal);
}

TEST_F(Skins, DeckTogglesShowTheSelectedDeckAndItsTitle) {
  app::MainX& main = start();
  fixtures::writeWav(dir.file("Night Drive.mp3"), {{440, 0.5}});
  main.deckEngine().OpenDeckTrack(QByteArray::fromStdString(dir.file("Night Drive.mp3")), 0, false);
  main.deckEngine().OpenDeckTrack(QByteArray::fromStdString(dir.file("Night Drive.mp3")), 1, false);
  main.deck.ETQ_TITULO[0]->setCaption("Song.mp3");
  EXPECT_TRUE(main.deck.chksel[1]->Value());
  const QImage up1(QStringLiteral(TV_BIN_DIR "/Sk/Default/CHKSEL1UP.bmp"));
  EXPECT_EQ(image(main.deck.ChkPicPlato[1]),
            up1.convertToFormat(image(main.deck.ChkPicPlato[1]).format()));

  main.deck.ChkPicPlato[0]->click();
  EXPECT_TRUE(main.deck.chksel[0]->Value());
  EXPECT_FALSE(main.deck.chksel[1]->Value());
  EXPECT_EQ(main.form().Caption(), "Torna Vel - Song");
  const QImage up0(QStringLiteral(TV_BIN_DIR "/Sk/Default/CHKSEL0UP.bmp"));
  const QImage plain1(QStringLiteral(TV_BIN_DIR "/Sk/Default/CHKSEL1.bmp"));
  EXPECT_EQ(image(main.deck.ChkPicPlato[0]),
            up0.convertToFormat(image(main.deck.ChkPicPlato[0]).format()));
  EXPECT_EQ(image(main.deck.ChkPicPlato[1]),
            plain1.convertToFormat(image(main.deck.ChkPicPlato[1]).format()));

  // A title of four characters or fewer leaves the caption alone.
  main.deck.ETQ_TITULO[1]->setCaption("Abcd");
  main.skinnedButtons().ChkPicPlato_Click(1);
  EXPECT_EQ(main.form().Caption(), "Torna Vel - Song");
  // The loader sets the toggles from the option that is on.
  main.LoadSkin();
  const QImage up1again(QStringLiteral(TV_BIN_DIR "/Sk/Default/CHKSEL1UP.bmp"));
  EXPECT_EQ(image(main.deck.ChkPicPlato[1]),
            up1again.convertToFormat(image(main.deck.ChkPicPlato[1]).format()));
}

}  // namespace
