#pragma once

#include <functional>

#include "SkinLoader.h"
#include "platform/ui/Form.h"

namespace skin {

// The pressed and normal looks of the transport buttons and the deck-select toggles, and
// choosing a deck. The controls are found by name in the window's control order.
class SkinnedButtons {
 public:
  explicit SkinnedButtons(SkinLoader& loader);

  void BTPlay_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTPause_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTStop_MouseDown(int Index, int Button, int Shift, float X, float Y);
  void BTPlay_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void BTPause_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void BTStop_MouseMove(int Index, int Button, int Shift, float X, float Y);
  void ChkPicPlato_Click(int Index);
  void chksel_Click(int Index);
  void chksel_Validate(int Index, bool& Cancel);
  // Wires the deck controls' look handlers (press and hover of the transport buttons, the
  // toggles, and the options' caption update).
  void wire();
  // Puts the chosen deck's title in the window's caption: the decks own the caption's text.
  std::function<void(int deck)> showTitle;

 private:
  void show(const char* button, int index, const char* file);

  SkinLoader& m_loader;
};

}  // namespace skin
