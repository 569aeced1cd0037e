// The laid-out look of the main window: every control's place, size and colours.
#include <QFont>

#include "Layout.h"
#include "MainX.h"

namespace app {

using namespace layout;

namespace {
ui::PictureBox* box(QWidget* parent, float l, float t, float w, float h, const QColor& back,
                    const QString& caption = {}) {
  auto* p = new ui::PictureBox(parent);
  p->Move(l, t, w, h);
  p->setBackColor(back);
  if (!caption.isEmpty()) p->setCaption(caption);
  return p;
}
ui::Label* label(QWidget* parent, float l, float t, float w, float h, const QString& caption,
                 int pixelSize, bool bold = false) {
  auto* lb = new ui::Label(parent, caption);
  lb->Move(l, t, w, h);
  lb->setFont(pixelSize, bold);
  return lb;
}
}  // namespace

void MainX::createDeck(int i) {
  QWidget* root = m_form->container();
  const auto d = std::size_t(i);
  const QColor accent = kAccent[i];
  auto* panel = box(root, kDeckLeft[i], kDeckTop, kDeckWidth, kDeckHeight, kPanel);
  panel->setBorder(QColor(48, 52, 60));
  QWidget* p = panel->container();

  // The two deck options sit on the window itself, so that they exclude each other.
  deck.chksel[d] = new ui::OptionButton(root, i == 0 ? "A" : "B");
  deck.chksel[d]->Move(kDeckLeft[i] + px(6), kDeckTop + px(2), px(36), px(20));
  deck.ChkPicPlato[d] = box(p, px(42), px(6), px(20), px(12), kTrack);
  deck.BACKPICPAN[d] = box(p, kTitleLeft, px(2), kTitleWidth, kTitleHeight, kTrack);
  deck.ETQ_TITULO[d] =
      label(deck.BACKPICPAN[d]->container(), 0, 0, kTitleWidth, kTitleHeight, {}, 13, true);
  deck.ETQ_TITULO[d]->setForeColor(accent);
  deck.ETQ_TITULO[d]->setAutoSize(true);
  deck.ETQ_TIME[d] = label(p, px(6), px(28), px(150), px(32), "00:00", 26, true);
  deck.ETQ_TIME[d]->setForeColor(accent);
  deck.ETQ_DUR[d] = label(p, px(200), px(34), px(160), px(24), "00:00", 16);
  deck.ETQ_DUR[d]->setForeColor(kDim);
  deck.ETQ_DUR[d]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  deck.SpectPic[d] = box(p, px(6), kSpectTop, kSpectWidth, kSpectHeight, kTrack);
  deck.SLPos[d] = box(p, px(6), kPosTop, kPosWidth, kPosHeight, kTrack);
  QWidget* pos = deck.SLPos[d]->container();
  deck.SLPosLeft[d] = box(pos, px(1), px(4), 0, kPosHeight - px(8), accent.darker(150));
  deck.PosBT[d] = box(pos, 0, 0, kPosKnobWidth, kPosHeight, kKnob);

  const char* names[] = {"PLAY", "PAUSE", "STOP", "LOAD"};
  audio::Pair<ui::PictureBox>* buttons[] = {&deck.BTPlay, &deck.BTPause, &deck.BTStop,
                                            &deck.BTLoad};
  for (int b = 0; b < 4; ++b) {
    auto* bt = box(p, px(6) + b * (kButtonWidth + px(6)), kTransportTop, kButtonWidth,
                   kButtonHeight, QColor(44, 48, 56), names[b]);
    bt->setBorder(QColor(70, 76, 88));
    (*buttons[b])[d] = bt;
  }
  deck.ETQPICTH[d] = label(p, px(6), px(224), px(260), px(20), {}, 12, true);
  deck.ETQPICTH[d]->setForeColor(kText);

  deck.XVolSL[d] = box(p, kVolLeft, kVolTop, kVolTrackWidth, kVolTrackHeight, kTrack);
  deck.XVolBT[d] = box(deck.XVolSL[d]->container(), 0, 0, kVolTrackWidth, kVolKnobHeight, kKnob);
  deck.BTVOLUP[d] = box(p, kVolLeft, kVolTop + kVolTrackHeight + px(4), kVolTrackWidth, kStepSize,
                        QColor(44, 48, 56), "+");
  deck.BTVOLD[d] = box(p, kVolLeft, kVolTop + kVolTrackHeight + px(24), kVolTrackWidth, kStepSize,
                       QColor(44, 48, 56), "-");

  deck.XPitch[d] = box(p, kPitchLeft, kPitchTop, kPitchTrackWidth, kPitchTrackHeight, kTrack);
  deck.XPicthBt[d] =
      box(deck.XPitch[d]->container(), 0, 0, kPitchTrackWidth, kPitchKnobHeight, accent);
  const float stepTop = kPitchTop + kPitchTrackHeight + px(4);
  deck.BTPICTHUP[d] =
      box(p, kPitchLeft, stepTop, kPitchTrackWidth, kStepSize, QColor(44, 48, 56), "+");
  deck.BTPICTHDW[d] =
      box(p, kPitchLeft, stepTop + px(20), kPitchTrackWidth, kStepSize, QColor(44, 48, 56), "-");
  deck.cmdPicthRe[d] =
      box(p, kPitchLeft, stepTop + px(40), kPitchTrackWidth, kStepSize, QColor(44, 48, 56), "0");
  deck.pl1[d] = box(p, kPitchLeft, stepTop + px(62), kPitchTrackWidth, px(12), kTrack);
  deck.chksel[d]->ZOrder(0);
}

void MainX::createControls() {
  m_form->Move(0, 0, kFormWidth, kFormHeight);
  m_form->setBackColor(kWindow);
  QWidget* root = m_form->container();
  etqsup = label(root, px(10), px(4), px(300), px(24), "Torna Vel", 18, true);
  etqsup->setForeColor(kText);
  ETQBACK = label(root, px(320), px(8), px(80), px(18), {}, 11);
  ETQBACK->setForeColor(kDim);
  lblTime = label(root, px(410), px(6), px(90), px(22), "00:00:00", 14, true);
  lblTime->setForeColor(kText);
  CMDMIN = box(root, kFormWidth - px(64), px(6), px(26), px(22), QColor(44, 48, 56), "_");
  BTend = box(root, kFormWidth - px(34), px(6), px(26), px(22), QColor(120, 36, 36), "X");
  for (int i = 0; i < 2; ++i) createDeck(i);

  ETMASTER =
      label(root, kMasterLeft - px(90), kMasterTop - px(2), px(84), px(20), "Master Vol", 12);
  ETMASTER->setForeColor(kDim);
  MasterVOL = box(root, kMasterLeft, kMasterTop, kMasterWidth, kMasterHeight, kTrack);
  MASTSL = box(MasterVOL->container(), kMasterWidth - kMasterKnobWidth, 0, kMasterKnobWidth,
               kMasterHeight, kKnob);

  PICTURELST = box(root, kPlaylistLeft, kPlaylistTop, kPlaylistWidth, kPlaylistHeight, kPanel);
  PICTURELST->setBorder(QColor(48, 52, 60));
  for (std::size_t i = 0; i < PICSEL.size(); ++i) {
    PICSEL[i] = box(PICTURELST->container(), 0, 0, kPlaylistWidth, px(14), QColor(60, 66, 78));
    PICSEL[i]->setVisible(false);
  }

  OptionsPanel = box(root, kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight, kPanel);
  OptionsPanel->setBorder(QColor(48, 52, 60));
  Label4 =
      label(OptionsPanel->container(), px(12), px(12), px(200), px(20), "Buffer de la musica", 12);
  Label4->setForeColor(kText);
  Slider1 = new ui::Slider(OptionsPanel->container());
  Slider1->Move(px(12), px(34), px(200), px(22));
  Slider1->setRange(1, 30);
  Slider1->setValue(3);

  MTimer = new ui::Timer(root, 100, true);
  ChangeVol = new ui::Timer(root, 99, false);
  Timer1 = new ui::Timer(root, 99, false);
}

}  // namespace app
