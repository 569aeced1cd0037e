#pragma once

#include "platform/ui/Build.h"
#include "platform/ui/Label.h"
#include "platform/ui/OptionButton.h"
#include "platform/ui/PictureBox.h"

namespace audio {

// One deck's controls: title strip, elapsed and total time, spectrum, position bar,
// transport, volume knob with its step buttons, pitch knob with its step and centre
// buttons, the peak bar, and the deck's "A"/"B" option on the window.
class DeckPanel {
 public:
  // Lays the deck out on `window` at (left, top). Its option sits on the window itself,
  // like the other deck's, so that the two exclude each other.
  DeckPanel(int index, QWidget* window, float left, float top, ui::Builder& build);

  int index() const { return m_index; }
  // Knob travels: how far each knob moves inside its track.
  float volumeTravel() const { return XVolSL->Height() - XVolBT->Height(); }
  float positionTravel() const { return SLPos->Width() - PosBT->Width(); }

  ui::OptionButton* chksel;
  ui::PictureBox* ChkPicPlato;  // the deck-select toggle
  ui::PictureBox* BACKPICPAN;   // the strip the title scrolls in
  ui::Label* ETQ_TITULO;
  ui::Label* ETQ_TIME;  // elapsed
  ui::Label* ETQ_DUR;   // length
  ui::PictureBox* SpectPic;
  ui::PictureBox* SLPos;      // position track
  ui::PictureBox* SLPosLeft;  // its played part
  ui::PictureBox* PosBT;      // position knob
  ui::PictureBox *BTPlay, *BTPause, *BTStop, *BTLoad;
  ui::PictureBox* BTCue;   // the headphones' send
  ui::Label* ETQPICTH;     // "PITCH x VOL y"
  ui::PictureBox* XVolSL;  // volume track
  ui::PictureBox* XVolBT;  // volume knob
  ui::PictureBox *BTVOLUP, *BTVOLD;
  ui::PictureBox* XPitch;    // pitch track
  ui::PictureBox* XPicthBt;  // pitch knob
  ui::PictureBox *BTPICTHUP, *BTPICTHDW, *cmdPicthRe;
  ui::PictureBox* chkKeyLock;  // key lock: the pitch knob changes the tempo alone
  ui::PictureBox* pl1;         // peak bar

 private:
  // What each control is and does, for screen readers and scripts.
  void describe();
  int m_index;
};

}  // namespace audio
