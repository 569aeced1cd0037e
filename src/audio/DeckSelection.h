#pragma once

namespace audio {

// The look of choosing a deck: its option set on, its toggle pressed, the other toggle
// plain (provided by the skinned controls).
class DeckSelection {
 public:
  virtual ~DeckSelection() = default;
  virtual void ChkPicPlato_Click(int deck) = 0;
};

}  // namespace audio
