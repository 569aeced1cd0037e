#pragma once

#include "audio/DeckSelection.h"
#include "skin/SkinnedButtons.h"

namespace app {

// Choosing a deck looks as the skin says: the decks' selection handed to the skinned toggles.
class SkinnedSelection : public audio::DeckSelection {
 public:
  explicit SkinnedSelection(skin::SkinnedButtons& buttons) : m_buttons(buttons) {}
  void ChkPicPlato_Click(int deck) override { m_buttons.ChkPicPlato_Click(deck); }

 private:
  skin::SkinnedButtons& m_buttons;
};

}  // namespace app
