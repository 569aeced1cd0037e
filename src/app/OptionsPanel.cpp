#include "OptionsPanel.h"

#include "skin/Metrics.h"

namespace app {

using skin::px;
using ui::Builder;

namespace {
const QString kPathsApp = QStringLiteral("TORNA VEL");
const QString kPathsSection = QStringLiteral("CONFIG");
}  // namespace

OptionsPanel::OptionsPanel(QWidget* p, ui::Builder& build, platform::SettingsStore& settings,
                           const platform::AppPaths& paths)
    : m_settings(settings), m_paths(paths) {
  cmdrest = build.named(
      Builder::place(new ui::CommandButton(p, "Restore default"), px(12), px(290), px(140), px(26)),
      "cmdrest");
  Frame2 = build.named(Builder::place(new ui::Frame(p), px(12), px(8), px(250), px(56)), "Frame2");
  chkvfx = build.named(
      Builder::place(new ui::CheckBox(Frame2->container(), "Ver Visualizacion de barras"), px(10),
                     px(22), px(230), px(24)),
      "chkvfx");
  chkvfx->setValue(1);
  Frame1 = build.named(
      Builder::place(new ui::Frame(p, "Auto Mix"), px(12), px(72), px(250), px(124)), "Frame1");
  QWidget* f1 = Frame1->container();
  lblDur = build.named(Builder::label(f1, px(10), px(22), px(230), px(18), "Mix point (%)", 12),
                       "lblDur");
  slDur = build.named(Builder::place(new ui::Slider(f1), px(10), px(42), px(230), px(22)), "slDur");
  slDur->setRange(65, 99);
  slDur->setValue(95);
  lblVel =
      build.named(Builder::label(f1, px(10), px(70), px(230), px(18), "Fade speed", 12), "lblVel");
  slVel = build.named(Builder::place(new ui::Slider(f1), px(10), px(90), px(230), px(22)), "slVel");
  slVel->setRange(50, 100);
  slVel->setValue(50);
  Label4 = build.named(
      Builder::label(p, px(12), px(210), px(250), px(20), "Buffer de la musica", 12), "Label4");
  Slider1 =
      build.named(Builder::place(new ui::Slider(p), px(12), px(232), px(250), px(22)), "Slider1");
  Slider1->setRange(1, 30);
  Slider1->setValue(3);

  frma = build.named(Builder::place(new ui::Frame(p, "Paths"), px(276), px(8), px(264), px(188)),
                     "frma");
  QWidget* fa = frma->container();
  const char* captions[] = {"Ruta de Fichero", "Ruta de Lista"};
  for (int i = 0; i < 2; ++i) {
    lblBase[std::size_t(i)] = build.named(
        Builder::label(fa, px(10), px(22) + float(i) * px(56), px(244), px(18), captions[i], 12),
        "lblBase", i);
    txtBase[std::size_t(i)] = build.named(
        Builder::place(new ui::TextBox(fa), px(10), px(42) + float(i) * px(56), px(244), px(24)),
        "txtBase", i);
  }
  cmd = build.named(
      Builder::place(new ui::CommandButton(fa, "Guardar"), px(154), px(150), px(100), px(26)),
      "cmd");
  cmd->onClick = [this] { cmd_Click(); };
  cmdrest->onClick = [this] { cmdrest_Click(); };
}

void OptionsPanel::loadPaths() {
  txtBase[0]->setText(m_settings.GetSetting(kPathsApp, kPathsSection, QStringLiteral("DBADIR"),
                                            m_paths.defaultLibraryFile()));
  txtBase[1]->setText(m_settings.GetSetting(kPathsApp, kPathsSection, QStringLiteral("LSTDIR"),
                                            m_paths.defaultPlaylistFile()));
}

bool OptionsPanel::cmd_Click() {
  m_settings.SaveSetting(kPathsApp, kPathsSection, QStringLiteral("DBADIR"), txtBase[0]->Text());
  m_settings.SaveSetting(kPathsApp, kPathsSection, QStringLiteral("LSTDIR"), txtBase[1]->Text());
  if (m_settings.ok()) return true;
  if (message)
    message(QStringLiteral("The settings could not be saved: ") + m_settings.path(), true);
  return false;
}

void OptionsPanel::cmdrest_Click() {
  slDur->setValue(95);
  slVel->setValue(50);
  txtBase[0]->setText(m_paths.defaultLibraryFile());
  txtBase[1]->setText(m_paths.defaultPlaylistFile());
}

}  // namespace app
