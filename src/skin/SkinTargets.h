#pragma once

#include <array>
#include <vector>

#include "platform/ui/OptionButton.h"
#include "platform/ui/PictureBox.h"

namespace skin {

template <typename T>
using Pair = std::array<T*, 2>;

// Every control that takes a picture from the skin.
struct SkinTargets {
  ui::PictureBox* BaseImg = nullptr;
  std::vector<ui::PictureBox*> PanelPIC;
  std::vector<ui::PictureBox*> BACKEQSL, SLPIC, EQDOWN;
  ui::PictureBox* frmPanelx5 = nullptr;
  ui::PictureBox* MasterVOL = nullptr;
  ui::PictureBox* MASTSL = nullptr;
  Pair<ui::PictureBox> pl1{}, XPitch{}, XPicthBt{}, cmdPicthRe{};
  Pair<ui::PictureBox> BTPause{}, BTPlay{}, BTStop{};
  Pair<ui::PictureBox> XVolBT{}, XVolSL{}, SLPos{}, SLPosLeft{}, PosBT{};
  Pair<ui::PictureBox> ChkPicPlato{};
  Pair<ui::OptionButton> chksel{};
  ui::PictureBox* cmdback = nullptr;
  ui::PictureBox* cmdgodo = nullptr;
  ui::PictureBox* cmdVEW = nullptr;
};

}  // namespace skin
