#include "SkinLoader.h"

#include <QFileInfo>
#include <cstdio>

namespace skin {

SkinLoader::SkinLoader(platform::SettingsStore& settings, const platform::AppPaths& paths,
                       SkinTargets& targets)
    : m_settings(settings), m_paths(paths), m_t(targets) {}

void SkinLoader::put(ui::PictureBox* control, const QString& file, bool autoSize) {
  if (!control) return;
  const QPixmap pic = m_files.load(file);
  // A missing or broken bitmap leaves the control as it was.
  if (pic.isNull()) return;
  if (autoSize) control->setAutoSize(true);
  control->setPicture(pic);
}

void SkinLoader::showSelection(int selected) {
  const int other = 1 - selected;
  put(m_t.ChkPicPlato[std::size_t(other)], QStringLiteral("\\CHKSEL%1.bmp").arg(other), true);
  put(m_t.ChkPicPlato[std::size_t(selected)], QStringLiteral("\\CHKSEL%1UP.bmp").arg(selected),
      true);
}

void SkinLoader::LoadSkin() {
  const QString app = platform::AppPaths::exeName();
  QString name = m_settings.GetSetting(app, QStringLiteral("Config"), QStringLiteral("SkinName"),
                                       QStringLiteral("Default"));
  if (name.isEmpty()) name = QStringLiteral("Default");
  m_settings.SaveSetting(app, QStringLiteral("Config"), QStringLiteral("SkinName"), name);
  m_skinName = name;
  const QString skinFolder = platform::joinPath(QStringLiteral("Sk"), name);
  const QString folder = m_paths.find(skinFolder);
  m_files.setFolder(folder);
  // The window keeps its plain look without a skin; say where the skin was sought.
  if (!QFileInfo(folder).isDir())
    std::fprintf(stderr, "tornavel: skin \"%s\" not found in %s or %s\n", qPrintable(name),
                 qPrintable(platform::joinPath(m_paths.exeDir, skinFolder)),
                 qPrintable(platform::joinPath(m_paths.dataDir, skinFolder)));

  put(m_t.BaseImg, QStringLiteral("\\Base0.bmp"), false);
  for (std::size_t i = 0; i < m_t.PanelPIC.size(); ++i)
    put(m_t.PanelPIC[i], QStringLiteral("\\PNBUT%1.bmp").arg(i), false);
  for (std::size_t i = 0; i < m_t.BACKEQSL.size(); ++i) {
    put(m_t.BACKEQSL[i], QStringLiteral("\\EQSLVolBack.bmp"), true);
    if (i < m_t.SLPIC.size()) {
      put(m_t.SLPIC[i], QStringLiteral("\\EQSLButton.bmp"), true);
      m_t.SLPIC[i]->setLeft(0);
    }
    if (i < m_t.EQDOWN.size()) put(m_t.EQDOWN[i], QStringLiteral("\\EQDWButton.bmp"), true);
  }
  put(m_t.frmPanelx5, QStringLiteral("\\BackEQ.bmp"), false);
  put(m_t.MasterVOL, QStringLiteral("\\MasterSLVolBack.bmp"), true);
  put(m_t.MASTSL, QStringLiteral("\\MasterSLButton.bmp"), true);
  put(m_t.pl1[0], QStringLiteral("\\BAR0.bmp"), false);
  put(m_t.pl1[1], QStringLiteral("\\BAR1.bmp"), false);
  for (auto* c : m_t.XPitch) put(c, QStringLiteral("\\SLPicthBack.bmp"), true);
  for (auto* c : m_t.XPicthBt) put(c, QStringLiteral("\\SLPicthButton.bmp"), true);
  put(m_t.cmdPicthRe[0], QStringLiteral("\\SLPicthButtonR0.bmp"), true);
  put(m_t.cmdPicthRe[1], QStringLiteral("\\SLPicthButtonR1.bmp"), true);
  for (auto* c : m_t.BTPause) put(c, QStringLiteral("\\BTPause0.bmp"), true);
  for (auto* c : m_t.BTPlay) put(c, QStringLiteral("\\BTPlay0.bmp"), true);
  put(m_t.XVolBT[0], QStringLiteral("\\BTVolBack0.bmp"), true);
  put(m_t.XVolBT[1], QStringLiteral("\\BTVolBack1.bmp"), true);
  put(m_t.XVolSL[0], QStringLiteral("\\SLVolBack0.bmp"), true);
  put(m_t.XVolSL[1], QStringLiteral("\\SLVolBack1.bmp"), true);
  put(m_t.SLPos[0], QStringLiteral("\\SLPosBack0.bmp"), true);
  put(m_t.SLPos[1], QStringLiteral("\\SLPosBack1.bmp"), true);
  for (auto* c : m_t.SLPosLeft) put(c, QStringLiteral("\\SLPosBack0Left.bmp"), true);
  for (auto* c : m_t.PosBT) put(c, QStringLiteral("\\BTPos0.bmp"), true);
  for (auto* c : m_t.BTStop) put(c, QStringLiteral("\\BTParar0.bmp"), true);
  showSelection(m_t.chksel[1] && m_t.chksel[1]->Value() ? 1 : 0);
  put(m_t.cmdback, QStringLiteral("\\cmdback.bmp"), true);
  put(m_t.cmdgodo, QStringLiteral("\\BTGOTO.bmp"), true);
  put(m_t.cmdVEW, QStringLiteral("\\cmdVEW.bmp"), true);
}

}  // namespace skin
