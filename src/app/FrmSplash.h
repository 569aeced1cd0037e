#pragma once

#include <memory>

#include "library/LoadProgress.h"

#include "platform/ui/CommandButton.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/Timer.h"

namespace app {

class Program;

// The splash: it runs the loading stages once and then hands over to the main window. Its bar
// and status line follow the library load.
class FrmSplash : public library::LoadProgress {
 public:
  explicit FrmSplash(Program& program);
  ~FrmSplash() override;

  void Form_Load();
  void fistLoad_Timer();
  void tomain_Timer();
  void cmdExit_Click();

  void loadStarted(qint64 maximum) override;
  void loadAdvanced(qint64 value) override;
  void loadFinished() override;

  ui::Form& form() { return *m_form; }
  bool stagesDone() const { return m_stagesDone; }

  ui::PictureBox* About = nullptr;
  ui::Label* Label1 = nullptr;
  ui::Label* lblStat = nullptr;
  ui::ProgressBar* InitLoading = nullptr;
  ui::CommandButton* cmdExit = nullptr;
  ui::Timer* fistLoad = nullptr;
  ui::Timer* tomain = nullptr;

 private:
  void stage(const char* caption);

  Program& m_program;
  std::unique_ptr<ui::Form> m_form;
  bool m_stagesStarted = false;
  bool m_stagesDone = false;
};

}  // namespace app
