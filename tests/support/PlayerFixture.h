#pragma once

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <memory>
#include <vector>

#include "app/MainX.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "media/AudioFixtures.h"

namespace fixtures {

// A whole player on the offscreen platform with the inline sound output: the splash
// stages are driven by ticking the timers, and sound is rendered on demand.
class PlayerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    program = std::make_unique<app::Program>(
        app::Program::Options{sound::Output::Manual,
                              [this] { ++ends; },
                              platform::AppPaths::under(QString::fromStdString(dir.path())),
                              {},
                              // The track analysis stays off unless a test turns it on: it
                              // would decode every tone the tests make, beside the timers
                              // they drive.
                              analyse});
    program->Main();
  }
  // Ends the program and starts it again on the same folders, as a user's next run.
  app::MainX& restart() {
    if (program->mainX()) program->mainX()->BTend_Click();
    TearDown();
    main = nullptr;
    SetUp();
    if (!main) main = &start();
    return *main;
  }
  void TearDown() override { program.reset(); }
  // The file types a user chose in an earlier run, in the settings the next start reads.
  void chooseFileTypes(platform::FileTypes types) {
    platform::SettingsStore(
        platform::AppPaths::under(QString::fromStdString(dir.path())).settingsFile)
        .SaveSetting("TORNAVEL", "LIBRARY", "FILETYPES", QString::number(int(types)));
  }

  // Runs the loading stages and the hand-over, as the two splash timers would.
  app::MainX& start() {
    program->startup().fistLoad_Timer();
    program->startup().tomain_Timer();
    // What the event loop does next with the window just shown: lays it out and paints it.
    QCoreApplication::processEvents();
    return *program->mainX();
  }
  std::vector<float> render(double seconds) {
    std::vector<float> out(std::size_t(seconds * 44100) * 2);
    program->engine().System.render(out.data(), out.size() / 2);
    return out;
  }
  audio::DeckState& deck(int i) { return program->decks()[std::size_t(i)]; }
  // The pointer height, in twips inside the playlist, of the middle of a visible row.
  static float rowY(int visibleRow) { return 15.0f + 210.0f * float(visibleRow) + 105.0f; }

  TempDir dir;
  bool analyse = false;
  std::unique_ptr<app::Program> program;
  app::MainX* main = nullptr;
  int ends = 0;
};

}  // namespace fixtures
