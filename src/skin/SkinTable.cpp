#include "SkinTable.h"

namespace skin {

const std::vector<SkinRow>& skinTable() {
  static const std::vector<SkinRow> rows = {
      {"BaseImg", -1, "\\Base0.bmp", false},
      {"PanelPIC", -1, "\\PNBUT%1.bmp", false},
      {"BACKEQSL", -1, "\\EQSLVolBack.bmp", true, 1},
      {"SLPIC", -1, "\\EQSLButton.bmp", true, 1},
      {"EQDOWN", -1, "\\EQDWButton.bmp", true, 1},
      {"frmPanelx", 5, "\\BackEQ.bmp", false},
      {"MasterVOL", -1, "\\MasterSLVolBack.bmp", true},
      {"MASTSL", -1, "\\MasterSLButton.bmp", true},
      {"pl1", 0, "\\BAR0.bmp", false},
      {"pl1", 1, "\\BAR1.bmp", false},
      {"XPitch", -1, "\\SLPicthBack.bmp", true},
      {"XPicthBt", -1, "\\SLPicthButton.bmp", true},
      {"cmdPicthRe", 0, "\\SLPicthButtonR0.bmp", true},
      {"cmdPicthRe", 1, "\\SLPicthButtonR1.bmp", true},
      {"BTPause", -1, "\\BTPause0.bmp", true},
      {"BTPlay", -1, "\\BTPlay0.bmp", true},
      {"XVolBT", 0, "\\BTVolBack0.bmp", true},
      {"XVolBT", 1, "\\BTVolBack1.bmp", true},
      {"XVolSL", 0, "\\SLVolBack0.bmp", true},
      {"XVolSL", 1, "\\SLVolBack1.bmp", true},
      {"SLPos", 0, "\\SLPosBack0.bmp", true},
      {"SLPos", 1, "\\SLPosBack1.bmp", true},
      {"SLPosLeft", -1, "\\SLPosBack0Left.bmp", true},
      {"PosBT", -1, "\\BTPos0.bmp", true},
      {"BTStop", -1, "\\BTParar0.bmp", true},
      {"CHKSEL", -1, nullptr, true},
      {"cmdback", -1, "\\cmdback.bmp", true},
      {"cmdgodo", -1, "\\BTGOTO.bmp", true},
      {"cmdVEW", -1, "\\cmdVEW.bmp", true},
  };
  return rows;
}

}  // namespace skin
