#pragma once

#include <memory>

#include "FrmSplash.h"
#include "library/LoadProgress.h"

namespace app {

class MainX;

// The start-up stages and the hand-over, run by the splash's two timers: the first tick of
// `fistLoad` loads the main window and runs the stages in their order, once; the first tick
// of `tomain` shows the main window and hides the splash. The library load of the last
// stages reports its progress to the splash's bar and status line.
class Startup : public library::LoadProgress {
 public:
  // What the stages need of the run they belong to.
  class Host {
   public:
    virtual ~Host() = default;
    // The main window, loaded (its set-up run) on the first call.
    virtual MainX& loadMainX() = 0;
    virtual bool ended() const = 0;
    // The hand-over is done: the main window is up.
    virtual void mainWindowShown() = 0;
  };

  explicit Startup(Host& host);
  ~Startup() override;

  // Shows the splash and starts its timers (the start-up sequence's last steps).
  void show();
  void Form_Load();
  void fistLoad_Timer();
  void tomain_Timer();
  void cmdExit_Click();
  // Stops both timers and hides the splash: the program is ending.
  void stop();

  void loadStarted(qint64 maximum) override;
  void loadAdvanced(qint64 value) override;
  void loadFinished() override;

  FrmSplash& splash() { return *m_splash; }
  bool stagesDone() const { return m_stagesDone; }

 private:
  // With TORNAVEL_STARTUP_TRACE set, says on stderr when the start got to `what`.
  static void trace(const char* what);
  Host& m_host;
  std::unique_ptr<FrmSplash> m_splash;
  bool m_stagesStarted = false;
  bool m_stagesDone = false;
};

}  // namespace app
