#include "OptionsPanel.h"

#include <algorithm>

#include "skin/Metrics.h"

namespace app {

using skin::px;
using ui::Builder;

namespace {
const QString kPathsApp = QStringLiteral("TORNA VEL");
const QString kPathsSection = QStringLiteral("CONFIG");
const QString kApp = QStringLiteral("TORNAVEL");
const QString kLibrarySection = QStringLiteral("LIBRARY");
const QString kFileTypesKey = QStringLiteral("FILETYPES");
const QString kAutoMixSection = QStringLiteral("AUTOMIX");
const QString kCurveKey = QStringLiteral("CURVE");
}  // namespace

platform::FileTypes OptionsPanel::savedFileTypes(const platform::SettingsStore& settings) {
  const QString saved = settings.GetSetting(kApp, kLibrarySection, kFileTypesKey, QString());
  return saved.trimmed() == QLatin1String("0") ? platform::FileTypes::MpegAndWma
                                               : platform::FileTypes::AllAudio;
}

OptionsPanel::OptionsPanel(QWidget* p, ui::Builder& build, platform::SettingsStore& settings,
                           const platform::AppPaths& paths, PanelState& state,
                           platform::FileTypeChoice& fileTypes)
    : m_settings(settings), m_paths(paths), m_state(state), m_fileTypes(fileTypes) {
  cmdrest = build.named(
      Builder::place(new ui::CommandButton(p, "Restore default"), px(12), px(290), px(140), px(26)),
      "cmdrest");
  Frame2 = build.named(Builder::place(new ui::Frame(p), px(12), px(8), px(250), px(56)), "Frame2");
  chkvfx = build.named(
      Builder::place(new ui::CheckBox(Frame2->container(), "Ver Visualizacion de barras"), px(10),
                     px(22), px(230), px(24)),
      "chkvfx");
  chkvfx->setValue(state.spectrum.on ? 1 : 0);
  chkvfx->onClick = [this] { m_state.spectrum.on = chkvfx->Value() == 1; };
  Frame1 = build.named(
      Builder::place(new ui::Frame(p, "Auto Mix"), px(12), px(72), px(250), px(124)), "Frame1");
  QWidget* f1 = Frame1->container();
  lblDur = build.named(Builder::label(f1, px(10), px(22), px(230), px(18), "Mix point (%)", 12),
                       "lblDur");
  slDur = build.named(Builder::place(new ui::Slider(f1), px(10), px(42), px(230), px(22)), "slDur");
  slDur->setRange(65, 99);
  slDur->setValue(state.autoMix.mixPoint);
  lblVel =
      build.named(Builder::label(f1, px(10), px(70), px(230), px(18), "Fade speed", 12), "lblVel");
  slVel = build.named(Builder::place(new ui::Slider(f1), px(10), px(90), px(230), px(22)), "slVel");
  slVel->setRange(50, 100);
  slVel->setValue(state.autoMix.fadeSpeed);
  Label4 = build.named(
      Builder::label(p, px(12), px(210), px(250), px(20), "Buffer de la musica", 12), "Label4");
  Slider1 =
      build.named(Builder::place(new ui::Slider(p), px(12), px(232), px(250), px(22)), "Slider1");
  Slider1->setRange(1, 30);
  Slider1->setValue(state.streamBufferSeconds);
  // A slider's setting takes its value before anything that follows it runs.
  slDur->onChange = [this] {
    m_state.autoMix.mixPoint = slDur->Value();
    if (slDur_Change) slDur_Change();
  };
  slVel->onChange = [this] {
    m_state.autoMix.fadeSpeed = slVel->Value();
    if (slVel_Change) slVel_Change();
  };
  Slider1->onChange = [this] {
    m_state.streamBufferSeconds = Slider1->Value();
    if (Slider1_Change) Slider1_Change();
  };

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
  txtBase[0]->onChange = [this] { m_state.library.path = txtBase[0]->Text(); };
  txtBase[1]->onChange = [this] { m_state.playlistFile = txtBase[1]->Text(); };
  showPaths();

  frmTypes =
      build.named(Builder::place(new ui::Frame(p, "File types"), px(276), px(204), px(264), px(84)),
                  "frmTypes");
  const char* types[] = {"MP3 and WMA", "All audio files"};
  for (int i = 0; i < 2; ++i) {
    optTypes[std::size_t(i)] =
        build.named(Builder::place(new ui::OptionButton(frmTypes->container(), types[i]), px(10),
                                   px(22) + float(i) * px(28), px(244), px(24)),
                    "optTypes", i);
  }
  optTypes[m_fileTypes.value() == platform::FileTypes::MpegAndWma ? 0 : 1]->setValue(true);
  for (int i = 0; i < 2; ++i) optTypes[std::size_t(i)]->onClick = [this, i] { optTypes_Click(i); };

  // The mixing options open over the page, from a button beside "Restore default".
  cmdMix = build.named(
      Builder::place(new ui::CommandButton(p, "Mixing..."), px(276), px(296), px(120), px(26)),
      "cmdMix");
  frmMix = build.named(Builder::place(new ui::Frame(p, "Mixing"), px(12), px(8), px(528), px(314)),
                       "frmMix");
  frmMix->widget()->setAutoFillBackground(true);
  frmMix->setVisible(false);
  QWidget* fm = frmMix->container();
  cmdMixClose = build.named(
      Builder::place(new ui::CommandButton(fm, "Close"), px(408), px(272), px(100), px(26)),
      "cmdMixClose");
  cmdMix->onClick = [this] { cmdMix_Click(); };
  cmdMixClose->onClick = [this] { frmMix->setVisible(false); };
  frmCurve = build.named(
      Builder::place(new ui::Frame(fm, "Fade curve"), px(10), px(22), px(240), px(84)), "frmCurve");
  const char* curves[] = {"Linear", "Equal power"};
  for (int i = 0; i < 2; ++i) {
    optCurve[std::size_t(i)] =
        build.named(Builder::place(new ui::OptionButton(frmCurve->container(), curves[i]), px(10),
                                   px(22) + float(i) * px(28), px(180), px(24)),
                    "optCurve", i);
    optCurve[std::size_t(i)]->onClick = [this, i] { optCurve_Click(i); };
  }
  const QString curve = settings.GetSetting(kApp, kAutoMixSection, kCurveKey, QString());
  state.autoMix.curve = curve.trimmed() == QLatin1String("1")
                            ? playlist::AutoMixSettings::kEqualPower
                            : playlist::AutoMixSettings::kLinear;
  optCurve[std::size_t(state.autoMix.curve)]->setValue(true);

  playlist::AutoMixSettings& mix = state.autoMix;
  auto flag = [&](const char* key, bool byDefault) {
    const QString v = settings.GetSetting(kApp, kAutoMixSection, QString::fromLatin1(key), {});
    return v.trimmed().isEmpty() ? byDefault : v.trimmed() != QLatin1String("0");
  };
  mix.skipSilence = flag("SKIPSILENCE", true);
  mix.level = flag("LEVEL", true);
  mix.beatMix = flag("BEATMIX", false);
  bool number = false;
  const int target =
      settings.GetSetting(kApp, kAutoMixSection, QStringLiteral("TARGETLUFS"), {}).toInt(&number);
  mix.targetLufs = number ? std::clamp(target, kMinTargetLufs, kMaxTargetLufs) : -18;
  frmLevels = build.named(
      Builder::place(new ui::Frame(fm, "Levels"), px(10), px(116), px(240), px(136)), "frmLevels");
  QWidget* fl = frmLevels->container();
  chkSkipSilence = build.named(
      Builder::place(new ui::CheckBox(fl, "Skip silence"), px(10), px(20), px(180), px(24)),
      "chkSkipSilence");
  chkLevel = build.named(
      Builder::place(new ui::CheckBox(fl, "Level tracks"), px(10), px(46), px(180), px(24)),
      "chkLevel");
  lblTarget = build.named(Builder::label(fl, px(10), px(74), px(180), px(18), {}, 12), "lblTarget");
  slTarget =
      build.named(Builder::place(new ui::Slider(fl), px(10), px(94), px(180), px(22)), "slTarget");
  slTarget->setRange(kMinTargetLufs, kMaxTargetLufs);
  chkSkipSilence->setValue(mix.skipSilence ? 1 : 0);
  chkLevel->setValue(mix.level ? 1 : 0);
  slTarget->setValue(mix.targetLufs);
  showTarget();
  frmBeats = build.named(
      Builder::place(new ui::Frame(fm, "Tempo"), px(262), px(22), px(246), px(56)), "frmBeats");
  chkBeatMix = build.named(Builder::place(new ui::CheckBox(frmBeats->container(), "Match beats"),
                                          px(10), px(20), px(220), px(24)),
                           "chkBeatMix");
  chkBeatMix->setValue(mix.beatMix ? 1 : 0);
  chkBeatMix->onClick = [this] { chkBeatMix_Click(); };
  chkSkipSilence->onClick = [this] { chkSkipSilence_Click(); };
  chkLevel->onClick = [this] { chkLevel_Click(); };
  slTarget->onChange = [this] { slTarget_Change(); };

  cmd->onClick = [this] { cmd_Click(); };
  cmdrest->onClick = [this] { cmdrest_Click(); };
}

void OptionsPanel::optTypes_Click(int Index) {
  const platform::FileTypes chosen =
      Index == 0 ? platform::FileTypes::MpegAndWma : platform::FileTypes::AllAudio;
  if (chosen == m_fileTypes.value()) return;
  m_fileTypes.set(chosen);
  m_settings.SaveSetting(kApp, kLibrarySection, kFileTypesKey, QString::number(int(chosen)));
  if (optTypes_Change) optTypes_Change();
}

void OptionsPanel::optCurve_Click(int Index) {
  if (Index < 0 || Index > 1 || Index == m_state.autoMix.curve) return;
  m_state.autoMix.curve = Index;
  m_settings.SaveSetting(kApp, kAutoMixSection, kCurveKey, QString::number(Index));
}

void OptionsPanel::cmdMix_Click() {
  frmMix->setVisible(true);
  frmMix->ZOrder(0);
}

void OptionsPanel::chkSkipSilence_Click() {
  m_state.autoMix.skipSilence = chkSkipSilence->Value() == 1;
  m_settings.SaveSetting(kApp, kAutoMixSection, QStringLiteral("SKIPSILENCE"),
                         m_state.autoMix.skipSilence ? "1" : "0");
}

void OptionsPanel::chkLevel_Click() {
  m_state.autoMix.level = chkLevel->Value() == 1;
  m_settings.SaveSetting(kApp, kAutoMixSection, QStringLiteral("LEVEL"),
                         m_state.autoMix.level ? "1" : "0");
}

void OptionsPanel::chkBeatMix_Click() {
  m_state.autoMix.beatMix = chkBeatMix->Value() == 1;
  m_settings.SaveSetting(kApp, kAutoMixSection, QStringLiteral("BEATMIX"),
                         m_state.autoMix.beatMix ? "1" : "0");
}

void OptionsPanel::slTarget_Change() {
  if (slTarget->Value() == m_state.autoMix.targetLufs) return;
  m_state.autoMix.targetLufs = slTarget->Value();
  m_settings.SaveSetting(kApp, kAutoMixSection, QStringLiteral("TARGETLUFS"),
                         QString::number(m_state.autoMix.targetLufs));
  showTarget();
}

void OptionsPanel::showTarget() {
  lblTarget->setCaption(QStringLiteral("Target: %1 LUFS").arg(m_state.autoMix.targetLufs));
}

void OptionsPanel::loadPaths() {
  m_state.library.path = m_settings.GetSetting(kPathsApp, kPathsSection, QStringLiteral("DBADIR"),
                                               m_paths.defaultLibraryFile());
  m_state.playlistFile = m_settings.GetSetting(kPathsApp, kPathsSection, QStringLiteral("LSTDIR"),
                                               m_paths.defaultPlaylistFile());
  showPaths();
}

void OptionsPanel::showPaths() {
  txtBase[0]->setText(m_state.library.path);
  txtBase[1]->setText(m_state.playlistFile);
}

bool OptionsPanel::cmd_Click() {
  m_settings.SaveSetting(kPathsApp, kPathsSection, QStringLiteral("DBADIR"), m_state.library.path);
  m_settings.SaveSetting(kPathsApp, kPathsSection, QStringLiteral("LSTDIR"), m_state.playlistFile);
  if (m_settings.ok()) return true;
  if (message)
    message(QStringLiteral("The settings could not be saved: ") + m_settings.path(), true);
  return false;
}

void OptionsPanel::cmdrest_Click() {
  const playlist::AutoMixSettings laidOut;
  slDur->setValue(laidOut.mixPoint);
  slVel->setValue(laidOut.fadeSpeed);
  m_state.library.path = m_paths.defaultLibraryFile();
  m_state.playlistFile = m_paths.defaultPlaylistFile();
  showPaths();
}

}  // namespace app
