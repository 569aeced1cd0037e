#include "EqualizerPanel.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Val.h"
#include "skin/Metrics.h"

namespace effects {

using skin::px;
using ui::Builder;

namespace {
const QString kApp = QStringLiteral("TORNAVEL");
const QString kSection = QStringLiteral("CONFIGEQ");

// Twelve graphic bands in a row, then three tone bands (low, mid, high) in a group below.
constexpr int kRowBands = 12;
constexpr float kBandLeft = px(16), kBandStep = px(34);
constexpr float kRowTop[2] = {px(6), px(166)};
constexpr float kLabelHeight = px(14), kDownGap = px(2);
// The tone bands are broad, two octaves, so each moves a whole region of the sound; the
// graphic bands keep the units' own one-octave width.
constexpr float kToneOctaves = 2.0f;

struct BandSpec {
  int hz;
  const char* caption;
};
constexpr BandSpec kBandSpecs[EqualizerState::kBands] = {
    {31, "31"},   {63, "63"},     {80, "80"},   {125, "125"},  {250, "250"},
    {500, "500"}, {1000, "1k"},   {2000, "2k"}, {4000, "4k"},  {6000, "6k"},
    {8000, "8k"}, {16000, "16k"}, {100, "Low"}, {1000, "Mid"}, {10000, "High"}};
}  // namespace

EqualizerPanel::EqualizerPanel(QWidget* p, ui::Builder& build, audio::AudioEngine& engine,
                               platform::SettingsStore& settings)
    : m_engine(engine), m_settings(settings) {
  const ui::Palette& c = ui::darkPalette();
  for (int i = 0; i < kBands; ++i) {
    const auto b = std::size_t(i);
    const int row = i < kRowBands ? 0 : 1;
    const float left = kBandLeft + float(row == 0 ? i : i - kRowBands) * kBandStep;
    const float top = kRowTop[row];
    lblEQ[b] = build.named(Builder::label(p, left - px(9), top, skin::kEqTrackWidth + px(18),
                                          kLabelHeight, kBandSpecs[i].caption, 10, c.dim),
                           "lblEQ", i);
    lblEQ[b]->setAlignment(Qt::AlignCenter);
    const float trackTop = top + kLabelHeight + px(2);
    BACKEQSL[b] = build.named(
        Builder::box(p, left, trackTop, skin::kEqTrackWidth, skin::kEqTrackHeight, c.track),
        "BACKEQSL", i);
    SLPIC[b] = build.named(Builder::box(BACKEQSL[b]->container(), 0, 0, skin::kEqTrackWidth,
                                        skin::kEqThumbHeight, c.knob),
                           "SLPIC", i);
    // The level is shown by the thumb; its bar only holds it.
    VSEQ[b] = build.named(Builder::place(new ui::ScrollBar(p), left + skin::kEqTrackWidth, trackTop,
                                         px(6), skin::kEqTrackHeight),
                          "VSEQ", i);
    VSEQ[b]->setRange(0, 20);
    VSEQ[b]->setValue(10);
    VSEQ[b]->setEnabled(false);
    VSEQ[b]->setVisible(false);
    EQDOWN[b] = build.named(
        Builder::pictureButton(p, left, trackTop + skin::kEqTrackHeight + kDownGap,
                               skin::kEqTrackWidth, skin::kEqDownHeight, QStringLiteral("v")),
        "EQDOWN", i);
  }
  const float side = kBandLeft + float(kRowBands) * kBandStep + px(8);
  cmdreseq[0] = build.named(Builder::pictureButton(p, side, kRowTop[0] + kLabelHeight + px(2),
                                                   px(80), px(24), QStringLiteral("RESET")),
                            "cmdreseq", 0);
  EQACT = build.named(Builder::place(new ui::CheckBox(p, QStringLiteral("EQ ON/OFF")), side,
                                     kRowTop[0] + px(52), px(120), px(24)),
                      "EQACT");
  EQACT->setValue(1);
  const float groupSide = kBandLeft + 3.0f * kBandStep + px(8);
  cmdreseq[1] = build.named(Builder::pictureButton(p, groupSide, kRowTop[1] + kLabelHeight + px(2),
                                                   px(80), px(24), QStringLiteral("RESET")),
                            "cmdreseq", 1);

  for (int i = 0; i < kBands; ++i) {
    const auto b = std::size_t(i);
    SLPIC[b]->onMouseDown = [this, i](int btn, int s, float x, float y) {
      SLPIC_MouseDown(i, btn, s, x, y);
    };
    SLPIC[b]->onMouseMove = [this, i](int btn, int s, float x, float y) {
      SLPIC_MouseMove(i, btn, s, x, y);
    };
    EQDOWN[b]->onClick = [this, i] { EQDOWN_Click(i); };
  }
  for (int i = 0; i < 2; ++i) cmdreseq[std::size_t(i)]->onClick = [this, i] { cmdreseq_Click(i); };
  EQACT->onClick = [this] { EQACT_Click(); };
}

float EqualizerPanel::travel(int i) const {
  return BACKEQSL[std::size_t(i)]->ScaleHeight() - SLPIC[std::size_t(i)]->ScaleHeight();
}

void EqualizerPanel::moveThumb(int i, float top) {
  m_state.bands[std::size_t(i)].top = top;
  SLPIC[std::size_t(i)]->Move(0, top);
}

int EqualizerPanel::GetBaD(int Index) {
  return Index >= 0 && Index < kBands ? kBandSpecs[Index].hz : 0;
}

void EqualizerPanel::addToChain() {
  for (int i = 0; i < kBands; ++i) m_engine.System.addDsp(m_engine.EqUnits[std::size_t(i)]);
}

void EqualizerPanel::SetEQVAL(int Index) {
  if (Index < 0 || Index >= kBands) return;
  const auto b = std::size_t(Index);
  const sound::Handle unit = m_engine.EqUnits[b];
  bool active = false;
  m_engine.System.dspActive(unit, active);
  // A thumb left outside its track (a newer skin with a shorter track, a hand-edited
  // setting) comes back to the nearer end, where the user can see and grab it.
  const float t = std::max(travel(Index), 0.0f);
  EqBand& band = m_state.bands[b];
  if (!(band.top >= 0.0f && band.top <= t)) moveThumb(Index, band.top > t ? t : 0.0f);
  band.level = levelAt(band.top, t);
  VSEQ[b]->setValue(band.level);
  if (!active) return;
  auto& system = m_engine.System;
  system.setDspParameter(unit, 0, float(GetBaD(Index)));
  if (Index >= kRowBands) system.setDspParameter(unit, 1, kToneOctaves);
  system.setDspParameter(unit, 2, gainOf(band.level));
}

void EqualizerPanel::applyBypass() {
  // Each unit keeps its place and its settings; the sound system fades it out and back in.
  for (int i = 0; i < kBands; ++i)
    m_engine.System.setDspBypass(m_engine.EqUnits[std::size_t(i)], !m_state.enabled);
}

void EqualizerPanel::cmdreseq_Click(int /*Index*/) {
  for (int i = 0; i < kBands; ++i) {
    VSEQ[std::size_t(i)]->setValue(10);
    moveThumb(i, travel(i) / 2.0f);
    SetEQVAL(i);
  }
}

void EqualizerPanel::EQDOWN_Click(int Index) {
  if (Index < 0 || Index >= kBands) return;
  moveThumb(Index, travel(Index));
  SetEQVAL(Index);
}

void EqualizerPanel::SLPIC_MouseDown(int /*Index*/, int /*Button*/, int /*Shift*/, float /*X*/,
                                     float Y) {
  m_state.dragStartY = Y;
}

void EqualizerPanel::SLPIC_MouseMove(int Index, int Button, int /*Shift*/, float /*X*/, float Y) {
  if (Index < 0 || Index >= kBands) return;
  const auto b = std::size_t(Index);
  if (Button == ui::LeftButton) {
    const float thumb = SLPIC[b]->Height(), track = BACKEQSL[b]->Height();
    const float offset = Y - m_state.dragStartY;
    const float newTop = m_state.bands[b].top + offset;
    if (newTop >= 0.0f && newTop + thumb <= track) {
      moveThumb(Index, newTop);
    } else {
      if (newTop < 0.0f) moveThumb(Index, 0.0f);
      if (m_state.bands[b].top + offset + thumb > track) moveThumb(Index, track - thumb);
    }
  }
  SetEQVAL(Index);
}

void EqualizerPanel::EQACT_Click() {
  m_state.enabled = EQACT->Value() == 1;
  applyBypass();
}

void EqualizerPanel::SaveEQ() {
  // One rewrite of the settings file for all bands: this runs first when the window closes.
  std::vector<std::pair<QString, QString>> values;
  for (int i = 0; i < kBands; ++i)
    // Always with a point, whatever the language of the desktop: LOADEQ reads a point.
    values.emplace_back(QString::number(i),
                        QString::number(double(m_state.bands[std::size_t(i)].top), 'g', 7));
  m_settings.SaveSettings(kApp, kSection, values);
}

void EqualizerPanel::LOADEQ() {
  for (int i = 0; i < kBands; ++i) {
    const QString key = QString::number(i);
    // A band never saved sits in the middle of its track, so a first run is flat with any
    // skin; a value that is no number reads as 0, the top.
    float top = travel(i) / 2.0f;
    if (m_settings.contains(kApp, kSection, key))
      top = float(ui::Val(m_settings.GetSetting(kApp, kSection, key, QString())));
    moveThumb(i, top);
    SetEQVAL(i);
  }
}

}  // namespace effects
