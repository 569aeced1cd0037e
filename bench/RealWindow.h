#pragma once

#include <QString>
#include <memory>
#include <string>

#include "app/Program.h"
#include "app/Startup.h"

// The real player, its settings and library under `dir`, mixing inline (no sound device),
// started as a launch does and its main window shown at once: the splash's timers are run
// by hand.
inline std::unique_ptr<app::Program> startRealWindow(const std::string& dir) {
  auto program = std::make_unique<app::Program>(app::Program::Options{
      sound::Output::Manual, [] {}, platform::AppPaths::under(QString::fromStdString(dir)), {}});
  program->Main();
  program->startup().fistLoad_Timer();
  program->startup().tomain_Timer();
  return program;
}
