#include "ChorusSwitch.h"

#include "skin/Metrics.h"

namespace effects {

ChorusSwitch::ChorusSwitch(QWidget* page, ui::Builder& build, audio::AudioEngine& engine)
    : m_engine(engine) {
  using skin::px;
  chkChorus = build.named(ui::Builder::place(new ui::CheckBox(page, QStringLiteral("chorus")),
                                             px(432), px(88), px(120), px(24)),
                          "chkChorus");
  chkChorus->onClick = [this] { chkChorus_Click(); };
}

void ChorusSwitch::chkChorus_Click() {
  // The unit decides, not the box: the two stay in step as long as only this box moves it.
  bool active = false;
  m_engine.System.dspActive(m_engine.ChorusUnit, active);
  if (active)
    m_engine.System.removeDsp(m_engine.ChorusUnit);
  else
    m_engine.System.addDsp(m_engine.ChorusUnit);
}

}  // namespace effects
