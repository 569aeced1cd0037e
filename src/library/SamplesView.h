#pragma once

#include "platform/ui/Build.h"
#include "platform/ui/CommandButton.h"
#include "platform/ui/FileListBox.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TextBox.h"

namespace library {

// The pre-listening tab: the samples folder and its audio files, the sample search, and the
// pre-listening level and stop button.
class SamplesView {
 public:
  SamplesView(QWidget* page, ui::Builder& build);

  ui::TextBox* txtsampleruta;        // the samples folder
  ui::CommandButton* cmdsetfolders;  // "Set": list that folder
  ui::FileListBox* FilesAMPLE;       // its audio files; a double-click pre-listens
  ui::TextBox* txtbus;               // sample search text
  ui::CommandButton* cmdbsqs;        // "Bsq"
  ui::Label* lblsample;
  ui::Slider* slsample;          // pre-listening level: 0 full, 100 silent
  ui::CommandButton* cmdsample;  // stops pre-listening
};

}  // namespace library
