#pragma once

#include <array>

#include "EqualizerState.h"
#include "audio/AudioEngine.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/Build.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ScrollBar.h"

namespace effects {

// The equaliser tab: fifteen bands, each a track with its thumb, its level bar and its
// lowest-level button (twelve in a row from 31 Hz to 16 kHz, three tone bands below them),
// two reset buttons and the "EQ ON/OFF" switch. Band i drives equaliser unit i of the
// sound engine. The thumbs' places are kept in the settings between runs.
class EqualizerPanel {
 public:
  static constexpr int kBands = EqualizerState::kBands;

  EqualizerPanel(QWidget* page, ui::Builder& build, audio::AudioEngine& engine,
                 platform::SettingsStore& settings);

  // Puts the units of the bands into the sound system's effect chain, in band order.
  void addToChain();
  // Recomputes band `Index` from its thumb and tells its unit, if it is in the chain.
  void SetEQVAL(int Index);
  // The centre frequency of a band, in Hz.
  static int GetBaD(int Index);
  void SaveEQ();
  void LOADEQ();
  void cmdreseq_Click(int Index);
  void EQDOWN_Click(int Index);
  void SLPIC_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void SLPIC_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void EQACT_Click();

  const EqualizerState& state() const { return m_state; }
  // How far band `i`'s thumb moves inside its track.
  float travel(int i) const;

  std::array<ui::PictureBox*, kBands> BACKEQSL{};  // the tracks
  std::array<ui::PictureBox*, kBands> SLPIC{};     // the thumbs
  std::array<ui::ScrollBar*, kBands> VSEQ{};       // the levels, 0..20
  std::array<ui::PictureBox*, kBands> EQDOWN{};    // lowest level
  std::array<ui::Label*, kBands> lblEQ{};          // the bands' frequencies
  std::array<ui::PictureBox*, 2> cmdreseq{};
  ui::CheckBox* EQACT;

 private:
  void moveThumb(int i, float top);
  // While "EQ ON/OFF" is cleared every band passes the music unchanged; its thumb, level
  // and unit settings stay as they are, ready for the box to be ticked again.
  void applyBypass();

  audio::AudioEngine& m_engine;
  platform::SettingsStore& m_settings;
  EqualizerState m_state;
};

}  // namespace effects
