#include "Program.h"

#include "MainX.h"
#include "platform/sound/Ffmpeg.h"

namespace app {

Program::Program(Options options)
    : m_options(std::move(options)),
      m_settings(m_options.paths.settingsFile),
      m_fileTypes(
          std::make_shared<platform::FileTypeChoice>(OptionsPanel::savedFileTypes(m_settings))) {}

Program::~Program() {
  m_mainX.reset();
  m_startup.reset();
  m_engine.close();
}

void Program::Main() {
  m_startup = std::make_unique<Startup>(static_cast<Startup::Host&>(*this));
  m_startup->show();
  // The sound system opens its device, and the decoder's libraries load, behind the splash:
  // the main window needs them, the splash does not.
  m_engine.create(m_options.output);
  sound::loadFfmpegSoon();
}

MainX& Program::loadMainX() {
  if (!m_mainX) {
    m_mainX = std::make_unique<MainX>(
        m_engine, m_decks, m_settings, *m_fileTypes, m_options.paths, [this] { End(); },
        m_options.measureTracks);
    m_mainX->setLoadProgress(m_startup.get());
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
  if (m_startup) m_startup->stop();
  if (m_mainX) {
    m_mainX->stopTimers();
    m_mainX->form().Hide();
  }
  if (m_options.onEnd) m_options.onEnd();
}

}  // namespace app
