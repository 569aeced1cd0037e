#pragma once

#include "SkinLoader.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"

namespace skin {

// The pressed and normal looks of the transport buttons and the deck-select toggles.
class SkinnedButtons {
 public:
  SkinnedButtons(SkinLoader& loader, SkinTargets& targets, std::array<ui::Label*, 2> titles,
                 ui::Form& mainForm);

  void BTPlay_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTPause_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTStop_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTPlay_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void BTPause_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void BTStop_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void ChkPicPlato_Click(int Index);
  void chksel_Click(int Index);
  void chksel_Validate(int Index, bool& Cancel);

 private:
  void show(ui::PictureBox* button, const char* file);

  SkinLoader& m_loader;
  SkinTargets& m_t;
  std::array<ui::Label*, 2> m_titles;
  ui::Form& m_form;
};

}  // namespace skin
