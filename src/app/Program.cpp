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
    if (m_options.onMainLoaded) m_options.onMainLoaded(*m_mainX);
  }
  return *m_mainX;
}

void Program::openFiles(const QByteArrayList& paths, playlist::PlaylistActions::Start start,
                        bool raise) {
  if (m_ended) return;
  m_waiting.push_back({paths, start, raise});
  if (m_shown) mainWindowShown();
}

void Program::mainWindowShown() {
  m_shown = true;
  if (m_ended || !m_mainX) return;
  std::vector<Opening> waiting;
  waiting.swap(m_waiting);
  for (const Opening& o : waiting) m_mainX->openFiles(o.paths, o.start, o.raise);
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
