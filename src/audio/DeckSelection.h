#pragma once

namespace audio {

// Which deck is the selected one: the deck auto-mix watches and that next and previous
// start on. The option buttons `chksel` show it and write it when they are turned on.
struct DeckChoice {
  int selected = 0;  // DeckA
};

// The look of choosing a deck: its option set on, its toggle pressed, the other toggle
// plain (provided by the skinned controls).
class DeckSelection {
 public:
  virtual ~DeckSelection() = default;
  virtual void ChkPicPlato_Click(int deck) = 0;
};

}  // namespace audio
