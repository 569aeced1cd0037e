#include "Startup.h"

#include <QDateTime>
#include <algorithm>
#include <cstdio>

#include "MainX.h"

namespace app {

Startup::Startup(Host& host) : m_host(host), m_splash(std::make_unique<FrmSplash>()) {
  m_splash->cmdExit->onClick = [this] { cmdExit_Click(); };
  m_splash->fistLoad->onTimer = [this] { fistLoad_Timer(); };
  m_splash->tomain->onTimer = [this] { tomain_Timer(); };
}

Startup::~Startup() = default;

void Startup::show() {
  m_splash->form().Show();
  Form_Load();
  m_splash->tomain->setEnabled(true);
  trace("splash shown");
}

void Startup::trace(const char* what) {
  // bench/startup.sh reads these to time the start from outside.
  static const bool on = qEnvironmentVariableIsSet("TORNAVEL_STARTUP_TRACE");
  if (on)
    std::fprintf(stderr, "tornavel: %s at %lld ms\n", what,
                 static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
}

void Startup::Form_Load() {
  m_splash->fistLoad->setEnabled(true);
}

void Startup::fistLoad_Timer() {
  // The stages run once, however often the timer ticks.
  if (m_stagesStarted) return;
  m_stagesStarted = true;
  if (m_host.ended()) return;
  m_splash->stage("Loading Aplicacion...");
  MainX& main = m_host.loadMainX();
  m_splash->stage("Loading Settings...");
  main.decks().engine().InitDeckVolumes();
  m_splash->stage("Loading Skin...");
  main.LoadSkin();
  main.LoadLanguage();
  m_splash->tomain->setEnabled(true);
  // The library fills its list behind the window, on the library worker.
  main.LoadBaseDa();
  m_splash->fistLoad->setEnabled(false);
  main.ResetC();
  // The hand-over only maps the window: the rest is done here, in the wait.
  main.form().prepareShow();
  m_stagesDone = true;
}

void Startup::tomain_Timer() {
  if (m_host.ended()) return;
  // Not a round trip to the display: that would run the event loop, and paint the window
  // before the display heard of it.
  m_host.loadMainX().form().ShowNow();
  trace("main window shown");
  m_splash->form().Hide();
  m_splash->tomain->setEnabled(false);
  m_host.mainWindowShown();
}

void Startup::cmdExit_Click() {
  m_host.loadMainX().BTend_Click();
}

void Startup::stop() {
  m_splash->fistLoad->setEnabled(false);
  m_splash->tomain->setEnabled(false);
  m_splash->form().Hide();
}

void Startup::loadStarted(qint64 maximum) {
  m_splash->InitLoading->setMax(int(std::min<qint64>(maximum, INT32_MAX)));
  m_splash->stage("Loading Database.txt...");
}

void Startup::loadAdvanced(qint64 value) {
  m_splash->InitLoading->setValue(int(std::min<qint64>(value, INT32_MAX)));
}

void Startup::loadFinished() {
  m_splash->stage("Finish...");
}

}  // namespace app
