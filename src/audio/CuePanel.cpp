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
                   platform::SettingsStore& settings, CueSettings& state)
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
  const int mode = chkCueSplit->Value() == 1 ? CueSettings::kSplit : CueSettings::kNone;
  if (m_state.mode == mode) return;
  m_state.mode = mode;
  apply();
  save();
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
  // A mode this player does not offer (a second device, say) plays everything on the master.
  m_state.mode = number("MODE", CueSettings::kNone, 0, 2);
  if (m_state.mode > CueSettings::kSplit) m_state.mode = CueSettings::kNone;
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
}

void CuePanel::apply() {
  const bool headphones = m_state.mode != CueSettings::kNone;
  m_engine.System.setHeadphones(headphones ? sound::CueMode::Split : sound::CueMode::None,
                                m_state.swap, float(m_state.mix) / 100.0f,
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
  chkCueSplit->setValue(headphones ? 1 : 0);
  chkCueSwap->setValue(m_state.swap ? 1 : 0);
  chkCueSwap->setEnabled(headphones);
}

}  // namespace audio
