#pragma once

#include "audio/AudioEngine.h"
#include "platform/ui/Build.h"
#include "platform/ui/CheckBox.h"

namespace effects {

// The chorus box on the equaliser tab: each click takes the chorus unit out of the effect
// chain if it is in it, and puts it in otherwise.
class ChorusSwitch {
 public:
  // Lays the box out on the equaliser's page, under its "EQ ON/OFF" switch.
  ChorusSwitch(QWidget* page, ui::Builder& build, audio::AudioEngine& engine);
  void chkChorus_Click();

  ui::CheckBox* chkChorus;

 private:
  audio::AudioEngine& m_engine;
};

}  // namespace effects
