#pragma once

#include <array>

#include "platform/ui/CommandButton.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"
#include "platform/ui/OptionButton.h"
#include "platform/ui/PictureBox.h"

namespace audio {

template <typename T>
using Pair = std::array<T*, 2>;

// The controls of the two decks, each a pair indexed by the deck.
struct DeckControls {
  Pair<ui::Label> ETQ_TITULO, ETQ_TIME, ETQ_DUR, ETQPICTH;
  Pair<ui::PictureBox> BTPlay, BTPause, BTStop, BTLoad;
  Pair<ui::PictureBox> PosBT, SLPos, SLPosLeft;
  Pair<ui::PictureBox> XVolBT, XVolSL, BTVOLUP, BTVOLD;
  Pair<ui::PictureBox> XPicthBt, XPitch, BTPICTHUP, BTPICTHDW, cmdPicthRe;
  Pair<ui::OptionButton> chksel;
  Pair<ui::PictureBox> ChkPicPlato, SpectPic, pl1;
  Pair<ui::PictureBox> BACKPICPAN;  // the strip the title scrolls in
};

}  // namespace audio
