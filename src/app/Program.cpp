#include "Program.h"

#include "FrmSplash.h"
#include "MainX.h"

namespace app {

Program::Program(Options options)
    : m_options(std::move(options)), m_settings(m_options.paths.settingsFile) {}

Program::~Program() {
  m_mainX.reset();
  m_splash.reset();
  m_engine.close();
}

void Program::Main() {
  m_engine.create(m_options.output);
  m_splash = std::make_unique<FrmSplash>(*this);
  m_splash->form().Show();
  m_splash->Form_Load();
  m_splash->tomain->setEnabled(true);
}

MainX& Program::loadMainX() {
  if (!m_mainX) {
    m_mainX = std::make_unique<MainX>(*this, m_engine, m_decks, m_settings, m_options.paths);
    m_mainX->Form_Load();
  }
  return *m_mainX;
}

void Program::End() {
  if (m_ended) return;
  m_ended = true;
  if (m_splash) {
    m_splash->fistLoad->setEnabled(false);
    m_splash->tomain->setEnabled(false);
    m_splash->form().Hide();
  }
  if (m_mainX) {
    m_mainX->stopTimers();
    m_mainX->form().Hide();
  }
  if (m_options.onEnd) m_options.onEnd();
}

}  // namespace app
