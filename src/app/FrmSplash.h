#pragma once

#include <memory>

#include "platform/ui/CommandButton.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/Timer.h"

namespace app {

// The splash window: its picture and title, the status line and bar of the loading stages,
// the exit button and the two timers that the start-up (Startup) runs on.
class FrmSplash {
 public:
  FrmSplash();
  ~FrmSplash();

  ui::Form& form() { return *m_form; }
  // Shows the stage now running in the status line.
  void stage(const char* caption);

  ui::PictureBox* About = nullptr;
  ui::Label* Label1 = nullptr;
  ui::Label* lblStat = nullptr;
  ui::ProgressBar* InitLoading = nullptr;
  ui::CommandButton* cmdExit = nullptr;
  ui::Timer* fistLoad = nullptr;
  ui::Timer* tomain = nullptr;

 private:
  std::unique_ptr<ui::Form> m_form;
};

}  // namespace app
