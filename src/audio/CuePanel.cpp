#include "CuePanel.h"

#include <algorithm>

#include "platform/ui/Accessible.h"
#include "skin/Metrics.h"

namespace audio {

using skin::px;
using ui::Builder;

namespace {
const QString kApp = QStringLiteral("TORNAVEL");
const QString kSection = QStringLiteral("CUE");
// Beside the master knob, in the strip between the decks and the tabs.
constexpr float kHeadTop = px(292), kHeadHeight = px(18);
}  // namespace

CuePanel::CuePanel(AudioEngine& engine, DeckTable& table, DeckEngine& decks,
                   std::array<DeckPanel*, 2> panels, QWidget* window, ui::Builder& build,
                   platform::SettingsStore& settings, CueSettings& state, QWidget* options)
    : m_engine(engine),
      m_table(table),
      m_decks(decks),
      m_panels(panels),
      m_settings(settings),
      m_state(state) {
  const ui::Palette& c = ui::darkPalette();
  lblHeadMix = build.named(
      Builder::label(window, px(616), kHeadTop - px(1), px(62), kHeadHeight, "Head mix", 12, c.dim),
      "lblHeadMix");
  HeadMix = build.named(
      Builder::place(new ui::Slider(window), px(680), kHeadTop, px(100), kHeadHeight), "HeadMix");
  lblHeadLevel = build.named(Builder::label(window, px(790), kHeadTop - px(1), px(66), kHeadHeight,
                                            "Head level", 12, c.dim),
                             "lblHeadLevel");
  HeadLevel = build.named(
      Builder::place(new ui::Slider(window), px(858), kHeadTop, px(94), kHeadHeight), "HeadLevel");
  for (ui::Slider* s : {HeadMix, HeadLevel}) s->setRange(0, 100);
  ui::describe(*HeadMix, ui::AccessibleRole::Slider,
               QStringLiteral("Headphones: cue (0) to master (100)"),
               [this] { return double(HeadMix->Value()); });
  ui::describe(*HeadLevel, ui::AccessibleRole::Slider, QStringLiteral("Headphones level"),
               [this] { return double(HeadLevel->Value()); });

  chkCueSplit = build.named(Builder::place(new ui::CheckBox(window, "Split cue"), px(136),
                                           kHeadTop - px(3), px(74), px(22)),
                            "chkCueSplit");
  chkCueSwap = build.named(
      Builder::place(new ui::CheckBox(window, "Swap"), px(210), kHeadTop - px(3), px(56), px(22)),
      "chkCueSwap");

  frmHead = build.named(
      Builder::place(new ui::Frame(options, "Headphones"), px(262), px(22), px(256), px(244)),
      "frmHead");
  QWidget* fh = frmHead->container();
  const char* modes[] = {"None", "Split: room left, headphones right", "A device of their own"};
  for (int i = 0; i < 3; ++i) {
    optCueMode[std::size_t(i)] =
        build.named(Builder::place(new ui::OptionButton(fh, modes[i]), px(10),
                                   px(18) + float(i) * px(24), px(240), px(22)),
                    "optCueMode", i);
    optCueMode[std::size_t(i)]->onClick = [this, i] { optCueMode_Click(i); };
  }
  const char* lists[] = {"Room (master)", "Headphones"};
  for (int i = 0; i < 2; ++i) {
    const float top = px(92) + float(i) * px(66);
    lblCueDevice[std::size_t(i)] = build.named(
        Builder::label(fh, px(10), top, px(236), px(16), lists[i], 11, c.dim), "lblCueDevice", i);
    ui::ListView* l =
        build.named(Builder::place(new ui::ListView(fh, 15, &m_devices[std::size_t(i)]), px(10),
                                   top + px(16), px(236), px(46)),
                    "lstCueDevice", i);
    l->setHeaderVisible(false);
    l->AddColumnHeader(QString(), 3300);
    l->onMouseUp = [this, i](int, int, float, float) { lstCueDevice_Click(i); };
    lstCueDevice[std::size_t(i)] = l;
  }
  lblCueState = build.named(Builder::label(fh, px(10), px(224), px(236), px(16), {}, 11, c.dim),
                            "lblCueState");
  tmrDevices = new ui::Timer(window, 500, true);
  tmrDevices->onTimer = [this] { tmrDevices_Timer(); };

  for (int k = 0; k < 2; ++k) {
    ui::PictureBox* b = m_panels[std::size_t(k)]->BTCue;
    b->onClick = [this, k] { BTCue_Click(k); };
  }
  HeadMix->onChange = [this] { HeadMix_Change(); };
  HeadLevel->onChange = [this] { HeadLevel_Change(); };
  chkCueSplit->onClick = [this] { chkCueSplit_Click(); };
  chkCueSwap->onClick = [this] { chkCueSwap_Click(); };
  load();
  apply();
  showDevices();
}

void CuePanel::optCueMode_Click(int Index) {
  if (Index < 0 || Index > 2 || Index == m_state.mode) return;
  m_state.mode = Index;
  apply();
  save();
  showDevices();
}

void CuePanel::lstCueDevice_Click(int Index) {
  if (Index < 0 || Index > 1) return;
  const int row = lstCueDevice[std::size_t(Index)]->SelectedIndex();
  if (row < 0) return;
  // Row 0 is the system's default device: no name.
  const QString name =
      row == 0 ? QString() : QString::fromUtf8(m_devices[std::size_t(Index)].name(row));
  QString& chosen = Index == 0 ? m_state.masterDevice : m_state.cueDevice;
  if (name == chosen) return;
  chosen = name;
  apply();
  save();
  showDevices();
}

void CuePanel::tmrDevices_Timer() {
  m_engine.System.checkDevices();
  const QString state = deviceState();
  if (state == m_shownState) return;
  lblCueState->setCaption(state);
  if (!state.isEmpty() && message) message(state);
  m_shownState = state;
}

QString CuePanel::deviceState() const {
  const sound::SoundSystem& sys = m_engine.System;
  auto shown = [](const QString& name) {
    return name.isEmpty() ? QStringLiteral("the default device")
                          : QStringLiteral("\"%1\"").arg(name);
  };
  QString said;
  if (sys.masterDeviceState() == sound::DeviceState::Fallback)
    said = QStringLiteral("The room's device %1 is not there; the default plays.")
               .arg(shown(m_state.masterDevice));
  if (m_state.mode == CueSettings::kDevice) {
    const sound::DeviceState cue = sys.cueDeviceState();
    if (cue == sound::DeviceState::Missing)
      said += QStringLiteral(" The headphones' device %1 cannot be opened.")
                  .arg(shown(m_state.cueDevice));
    else if (cue == sound::DeviceState::Lost)
      said += QStringLiteral(" The headphones' device %1 went away; choose it again.")
                  .arg(shown(m_state.cueDevice));
  }
  return said.trimmed();
}

void CuePanel::showDevices() {
  const std::vector<std::string> names = m_engine.System.playbackDevices();
  for (int i = 0; i < 2; ++i) {
    std::vector<ui::NameListModel::Row> rows{{QByteArray("(default)")}};
    const QString& chosen = i == 0 ? m_state.masterDevice : m_state.cueDevice;
    int selected = 0;
    for (const std::string& n : names) {
      if (QString::fromStdString(n) == chosen) selected = int(rows.size());
      rows.push_back({QByteArray::fromStdString(n)});
    }
    m_devices[std::size_t(i)].setRows(std::move(rows));
    lstCueDevice[std::size_t(i)]->setSelectedIndex(selected);
    lstCueDevice[std::size_t(i)]->setEnabled(i == 0 || m_state.mode == CueSettings::kDevice);
  }
  optCueMode[std::size_t(m_state.mode)]->setValue(true);
}

void CuePanel::BTCue_Click(int Index) {
  if (Index < 0 || Index > 1) return;
  m_state.deck[std::size_t(Index)] = !m_state.deck[std::size_t(Index)];
  apply();
}

void CuePanel::HeadMix_Change() {
  if (m_state.mix == HeadMix->Value()) return;
  m_state.mix = HeadMix->Value();
  apply();
  save();
}

void CuePanel::HeadLevel_Change() {
  if (m_state.level == HeadLevel->Value()) return;
  m_state.level = HeadLevel->Value();
  apply();
  save();
}

void CuePanel::chkCueSplit_Click() {
  // The box shows split alone; a device of their own stays while it is shown unticked.
  const bool on = chkCueSplit->Value() == 1;
  if (on == (m_state.mode == CueSettings::kSplit)) return;
  m_state.mode = on ? CueSettings::kSplit : CueSettings::kNone;
  apply();
  save();
  showDevices();
}

void CuePanel::chkCueSwap_Click() {
  if (m_state.swap == (chkCueSwap->Value() == 1)) return;
  m_state.swap = chkCueSwap->Value() == 1;
  apply();
  save();
}

void CuePanel::load() {
  auto number = [this](const char* key, int fallback, int low, int high) {
    bool ok = false;
    const int v =
        m_settings.GetSetting(kApp, kSection, QLatin1String(key), QString::number(fallback))
            .toInt(&ok);
    return ok ? std::clamp(v, low, high) : fallback;
  };
  m_state.mode = number("MODE", CueSettings::kNone, 0, 2);
  m_state.swap = number("SWAP", 0, 0, 1) == 1;
  m_state.mix = number("MIX", 0, 0, 100);
  m_state.level = number("LEVEL", 100, 0, 100);
  m_state.masterDevice = m_settings.GetSetting(kApp, kSection, QStringLiteral("MASTERDEVICE"), {});
  m_state.cueDevice = m_settings.GetSetting(kApp, kSection, QStringLiteral("CUEDEVICE"), {});
}

void CuePanel::save() {
  m_settings.SaveSetting(kApp, kSection, QStringLiteral("MODE"), QString::number(m_state.mode));
  m_settings.SaveSetting(kApp, kSection, QStringLiteral("SWAP"), m_state.swap ? "1" : "0");
  m_settings.SaveSetting(kApp, kSection, QStringLiteral("MIX"), QString::number(m_state.mix));
  m_settings.SaveSetting(kApp, kSection, QStringLiteral("LEVEL"), QString::number(m_state.level));
  m_settings.SaveSetting(kApp, kSection, QStringLiteral("MASTERDEVICE"), m_state.masterDevice);
  m_settings.SaveSetting(kApp, kSection, QStringLiteral("CUEDEVICE"), m_state.cueDevice);
}

void CuePanel::apply() {
  const bool headphones = m_state.mode != CueSettings::kNone;
  m_engine.System.setDevices(m_state.masterDevice.toStdString(), m_state.cueDevice.toStdString());
  const sound::CueMode modes[] = {sound::CueMode::None, sound::CueMode::Split,
                                  sound::CueMode::Device};
  m_engine.System.setHeadphones(modes[m_state.mode], m_state.swap, float(m_state.mix) / 100.0f,
                                float(m_state.level) / 100.0f);
  DeckTable& table = m_table;
  for (int k = 0; k < 2; ++k) {
    table[std::size_t(k)].ToCue = m_state.deck[std::size_t(k)];
    m_decks.ApplyRoute(k);
  }
  // The preview is for the headphones when there are any; otherwise the room hears it.
  table[PreviewSlot].ToMaster = !headphones;
  table[PreviewSlot].ToCue = headphones;
  m_decks.ApplyRoute(PreviewSlot);

  const ui::Palette& c = ui::darkPalette();
  for (int k = 0; k < 2; ++k)
    m_panels[std::size_t(k)]->BTCue->setBackColor(m_state.deck[std::size_t(k)] ? c.accent[k]
                                                                               : c.button);
  HeadMix->setValue(m_state.mix);
  HeadLevel->setValue(m_state.level);
  chkCueSplit->setValue(m_state.mode == CueSettings::kSplit ? 1 : 0);
  chkCueSwap->setValue(m_state.swap ? 1 : 0);
  chkCueSwap->setEnabled(headphones);
}

}  // namespace audio
