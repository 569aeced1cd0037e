// The laid-out look of the main window: every control's place, size, colours and caption,
// in the window's own control order (the order the language file is applied in).
#include "Layout.h"
#include "MainX.h"

namespace app {

using namespace layout;

namespace {
const QColor kButton(44, 48, 56), kButtonEdge(70, 76, 88), kEdge(48, 52, 60);

ui::PictureBox* box(QWidget* parent, float l, float t, float w, float h, const QColor& back,
                    const QString& caption = {}) {
  auto* p = new ui::PictureBox(parent);
  p->Move(l, t, w, h);
  p->setBackColor(back);
  if (!caption.isEmpty()) p->setCaption(caption);
  return p;
}
ui::PictureBox* panel(QWidget* parent, float l, float t, float w, float h) {
  auto* p = box(parent, l, t, w, h, kPanel);
  p->setBorder(kEdge);
  return p;
}
ui::PictureBox* pictureButton(QWidget* parent, float l, float t, float w, float h,
                              const QString& caption) {
  auto* p = box(parent, l, t, w, h, kButton, caption);
  p->setBorder(kButtonEdge);
  return p;
}
ui::Label* label(QWidget* parent, float l, float t, float w, float h, const QString& caption,
                 int pixelSize, const QColor& colour = kText, bool bold = false) {
  auto* lb = new ui::Label(parent, caption);
  lb->Move(l, t, w, h);
  lb->setFont(pixelSize, bold);
  lb->setForeColor(colour);
  return lb;
}
template <typename T>
T* place(T* control, float l, float t, float w, float h) {
  control->Move(l, t, w, h);
  return control;
}
}  // namespace

void MainX::createDeck(int i) {
  QWidget* root = m_form->container();
  const auto d = std::size_t(i);
  const QColor accent = kAccent[i];
  QWidget* p = panel(root, kDeckLeft[i], kDeckTop, kDeckWidth, kDeckHeight)->container();

  deck.ChkPicPlato[d] = named(box(p, px(42), px(6), px(20), px(12), kTrack), "ChkPicPlato", i);
  deck.BACKPICPAN[d] =
      named(box(p, kTitleLeft, px(2), kTitleWidth, kTitleHeight, kTrack), "BACKPICPAN", i);
  deck.ETQ_TITULO[d] = named(
      label(deck.BACKPICPAN[d]->container(), 0, 0, kTitleWidth, kTitleHeight, {}, 13, accent, true),
      "ETQ_TITULO", i);
  deck.ETQ_TITULO[d]->setAutoSize(true);
  deck.ETQ_TIME[d] =
      named(label(p, px(6), px(28), px(150), px(32), "00:00", 26, accent, true), "ETQ_TIME", i);
  deck.ETQ_DUR[d] =
      named(label(p, px(200), px(34), px(160), px(24), "00:00", 16, kDim), "ETQ_DUR", i);
  deck.ETQ_DUR[d]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  deck.SpectPic[d] =
      named(box(p, px(6), kSpectTop, kSpectWidth, kSpectHeight, kTrack), "SpectPic", i);
  deck.SLPos[d] = named(box(p, px(6), kPosTop, kPosWidth, kPosHeight, kTrack), "SLPos", i);
  QWidget* pos = deck.SLPos[d]->container();
  deck.SLPosLeft[d] = named(
      box(pos, px(1), (kPosHeight - kPlayLeftHeight) / 2, 0, kPlayLeftHeight, accent.darker(150)),
      "SLPosLeft", i);
  LinetoMX[d] = named(box(pos, kPosWidth * 0.95f, 0, px(2), kPosHeight, accent), "LinetoMX", i);
  deck.PosBT[d] = named(box(pos, 0, 0, kPosKnobWidth, kPosHeight, kKnob), "PosBT", i);

  const char* names[] = {"PLAY", "PAUSE", "STOP", "LOAD"};
  const char* ids[] = {"BTPlay", "BTPause", "BTStop", "BTLoad"};
  audio::Pair<ui::PictureBox>* buttons[] = {&deck.BTPlay, &deck.BTPause, &deck.BTStop,
                                            &deck.BTLoad};
  for (int b = 0; b < 4; ++b)
    (*buttons[b])[d] = named(pictureButton(p, px(6) + float(b) * (kButtonWidth + px(6)),
                                           kTransportTop, kButtonWidth, kButtonHeight, names[b]),
                             ids[b], i);
  deck.ETQPICTH[d] =
      named(label(p, px(6), px(224), px(260), px(20), {}, 12, kText, true), "ETQPICTH", i);

  deck.XVolSL[d] =
      named(box(p, kVolLeft, kVolTop, kVolTrackWidth, kVolTrackHeight, kTrack), "XVolSL", i);
  deck.XVolBT[d] = named(
      box(deck.XVolSL[d]->container(), 0, 0, kVolTrackWidth, kVolKnobHeight, kKnob), "XVolBT", i);
  const float volSteps = kVolTop + kVolTrackHeight + px(4);
  deck.BTVOLUP[d] =
      named(pictureButton(p, kVolLeft, volSteps, kVolTrackWidth, kStepSize, "+"), "BTVOLUP", i);
  deck.BTVOLD[d] = named(
      pictureButton(p, kVolLeft, volSteps + px(20), kVolTrackWidth, kStepSize, "-"), "BTVOLD", i);

  deck.XPitch[d] = named(box(p, kPitchLeft, kPitchTop, kPitchTrackWidth, kPitchTrackHeight, kTrack),
                         "XPitch", i);
  deck.XPicthBt[d] =
      named(box(deck.XPitch[d]->container(), 0, 0, kPitchTrackWidth, kPitchKnobHeight, accent),
            "XPicthBt", i);
  const float stepTop = kPitchTop + kPitchTrackHeight + px(4);
  deck.BTPICTHUP[d] = named(pictureButton(p, kPitchLeft, stepTop, kPitchTrackWidth, kStepSize, "+"),
                            "BTPICTHUP", i);
  deck.BTPICTHDW[d] =
      named(pictureButton(p, kPitchLeft, stepTop + px(20), kPitchTrackWidth, kStepSize, "-"),
            "BTPICTHDW", i);
  deck.cmdPicthRe[d] =
      named(pictureButton(p, kPitchLeft, stepTop + px(40), kPitchTrackWidth, kStepSize, "0"),
            "cmdPicthRe", i);
  deck.pl1[d] =
      named(box(p, kPitchLeft, stepTop + px(62), kPitchTrackWidth, px(12), kTrack), "pl1", i);

  // The two deck options sit on the window itself, so that they exclude each other.
  deck.chksel[d] = named(new ui::OptionButton(root, i == 0 ? "A" : "B"), "chksel", i);
  deck.chksel[d]->Move(kDeckLeft[i] + px(6), kDeckTop + px(2), px(36), px(20));
}

void MainX::createOptionsPanel(QWidget* p) {
  cmdrest =
      named(place(new ui::CommandButton(p, "Restore default"), px(12), px(290), px(140), px(26)),
            "cmdrest");
  Frame2 = named(place(new ui::Frame(p), px(12), px(8), px(250), px(56)), "Frame2");
  chkvfx = named(place(new ui::CheckBox(Frame2->container(), "Ver Visualizacion de barras"), px(10),
                       px(22), px(230), px(24)),
                 "chkvfx");
  chkvfx->setValue(1);
  Frame1 = named(place(new ui::Frame(p, "Auto Mix"), px(12), px(72), px(250), px(124)), "Frame1");
  QWidget* f1 = Frame1->container();
  lblDur = named(label(f1, px(10), px(22), px(230), px(18), "Mix point (%)", 12), "lblDur");
  slDur = named(place(new ui::Slider(f1), px(10), px(42), px(230), px(22)), "slDur");
  slDur->setRange(65, 99);
  slDur->setValue(95);
  lblVel = named(label(f1, px(10), px(70), px(230), px(18), "Fade speed", 12), "lblVel");
  slVel = named(place(new ui::Slider(f1), px(10), px(90), px(230), px(22)), "slVel");
  slVel->setRange(50, 100);
  slVel->setValue(50);
  Label4 = named(label(p, px(12), px(210), px(250), px(20), "Buffer de la musica", 12), "Label4");
  Slider1 = named(place(new ui::Slider(p), px(12), px(232), px(250), px(22)), "Slider1");
  Slider1->setRange(1, 30);
  Slider1->setValue(3);

  frma = named(place(new ui::Frame(p, "Paths"), px(276), px(8), px(264), px(188)), "frma");
  QWidget* fa = frma->container();
  const char* captions[] = {"Ruta de Fichero", "Ruta de Lista"};
  for (int i = 0; i < 2; ++i) {
    lblBase[std::size_t(i)] =
        named(label(fa, px(10), px(22) + float(i) * px(56), px(244), px(18), captions[i], 12),
              "lblBase", i);
    txtBase[std::size_t(i)] =
        named(place(new ui::TextBox(fa), px(10), px(42) + float(i) * px(56), px(244), px(24)),
              "txtBase", i);
  }
  cmd =
      named(place(new ui::CommandButton(fa, "Guardar"), px(154), px(150), px(100), px(26)), "cmd");
}

void MainX::createLibraryPanel(QWidget* p) {
  BaseImg = named(box(p, px(8), px(8), kBaseImg, kBaseImg, kPanel), "BaseImg");
  txtbusq = named(place(new ui::TextBox(p), px(38), px(8), px(300), px(24)), "txtbusq");
  cmdbusq =
      named(place(new ui::CommandButton(p, "Buscar"), px(344), px(7), px(80), px(26)), "cmdbusq");
  lblCntLST = named(label(p, px(430), px(10), px(110), px(20), "0", 12, kDim), "lblCntLST");
  lblCntLST->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lstdata = named(place(new ui::ListView(p, 19, &m_libraryModel), px(8), px(40), px(536), px(232)),
                  "lstdata");
  lstresul = named(place(new ui::ListView(p, 19, &m_resultModel), px(8), px(40), px(536), px(232)),
                   "lstresul");
  lstresul->setVisible(false);
  LblFolder = named(label(p, px(8), px(276), px(536), px(18), {}, 11, kDim), "LblFolder");
  lbleti = named(label(p, px(8), px(294), px(300), px(18), {}, 11, kDim), "lbleti");
  cmdaddbase = named(place(new ui::CommandButton(p, "Opciones"), px(344), px(294), px(96), px(26)),
                     "cmdaddbase");
  cmdCancelScan =
      named(place(new ui::CommandButton(p, "Cancelar"), px(448), px(294), px(96), px(26)),
            "cmdCancelScan");

  frmbusq = named(place(new ui::Frame(p, "Opciones del fichero"), px(60), px(40), px(430), px(200)),
                  "frmbusq");
  frmbusq->widget()->setAutoFillBackground(true);
  frmbusq->setVisible(false);
  QWidget* f = frmbusq->container();
  OPTETQ = named(label(f, px(12), px(24), px(300), px(18), "Añadir este directorio al fichero", 12),
                 "OPTETQ");
  txtbsq = named(place(new ui::TextBox(f, "Click aqui para seleccionar carpeta"), px(12), px(44),
                       px(330), px(24)),
                 "txtbsq");
  cmdbuq[0] =
      named(place(new ui::CommandButton(f, "..."), px(348), px(43), px(70), px(26)), "cmdbuq", 0);
  OPTETQ2 = named(label(f, px(12), px(82), px(300), px(18), "Re-Scanear ficheros", 12), "OPTETQ2");
  cmdbuq[1] =
      named(place(new ui::CommandButton(f, "Scan"), px(12), px(104), px(100), px(26)), "cmdbuq", 1);
  cmdkl =
      named(place(new ui::CommandButton(f, "Borrar"), px(12), px(160), px(100), px(26)), "cmdkl");
  cmdbusqc = named(place(new ui::CommandButton(f, "Cancel"), px(318), px(160), px(100), px(26)),
                   "cmdbusqc");
}

void MainX::createPanels() {
  QWidget* root = m_form->container();
  const char* tabs[] = {"Explorer", "Library", "Playlist", "Samples", "Options", "Equalizer"};
  for (int i = 0; i < 6; ++i) {
    PanelPIC[std::size_t(i)] =
        named(pictureButton(root, kPanelLeft + float(i) * (kTabWidth + kTabGap), kTabsTop,
                            kTabWidth, kTabHeight, tabs[i]),
              "PanelPIC", i);
  }
  // The tab panels share one place; the one in front is the one shown.
  frmPanelx5 = named(panel(root, kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), "frmPanelx", 5);
  frmPanelx4 = named(panel(root, kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), "frmPanelx", 4);
  createOptionsPanel(frmPanelx4->container());
  frmPanelx3 = named(panel(root, kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), "frmPanelx", 3);
  frmPanelx0 = named(panel(root, kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), "frmPanelx", 0);
  QWidget* browser = frmPanelx0->container();
  cmdback = named(pictureButton(browser, px(8), px(8), kSkinButton, kSkinButton, "<"), "cmdback");
  txtruta = named(place(new ui::TextBox(browser), px(38), px(8), px(410), px(24)), "txtruta");
  cmdgodo = named(pictureButton(browser, px(454), px(8), kSkinButton, kSkinButton, ">"), "cmdgodo");
  cmdVEW = named(pictureButton(browser, px(484), px(8), kSkinButton, kSkinButton, "o"), "cmdVEW");
  PICFICHEROS = named(panel(root, kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), "PICFICHEROS");
  frmPanelx1 =
      named(box(PICFICHEROS->container(), 0, 0, kPanelWidth, kPanelHeight, kPanel), "frmPanelx", 1);
  createLibraryPanel(frmPanelx1->container());

  PICTURELST = named(panel(root, kPlaylistLeft, kPlaylistTop, kPlaylistWidth, kPlaylistHeight),
                     "PICTURELST");
  frmPanelx2 = named(box(PICTURELST->container(), px(1), px(1), kPlaylistWidth - px(2),
                         kPlaylistHeight - px(2), kPanel),
                     "frmPanelx", 2);
  QWidget* pl = frmPanelx2->container();
  Label555 =
      named(label(pl, px(8), px(4), px(200), px(20), "List Player", 13, kText, true), "Label555");
  const float listWidth = kPlaylistWidth - kListGutter - px(8);
  const float listHeight = px(2) + 19 * kListRow;  // whole rows inside a one-pixel frame
  LSTMP3 = named(place(new ui::ListView(pl, 14), kListGutter, kListTop, listWidth, listHeight),
                 "LSTMP3");
  LSTMP3->setHeaderVisible(false);
  const QColor bars[] = {QColor(230, 110, 110), QColor(120, 210, 120), QColor(90, 94, 102)};
  for (std::size_t i = 0; i < PICSEL.size(); ++i) {
    PICSEL[i] = named(box(pl, kListGutter, 0, listWidth - px(14), 25, bars[i]), "PICSEL", int(i));
    PICSEL[i]->setVisible(false);
  }
  SelDir = named(label(pl, px(2), 0, px(40), kListRow, "Play >", 10, QColor(120, 210, 120), true),
                 "SelDir");
  SelDir->setVisible(false);
  PlayStrip = box(pl, px(42), kListTop, px(12), listHeight, kPanel);
  PLAYNX = named(label(PlayStrip->container(), 0, 0, px(12), kListRow, ">", 11, kAccent[0], true),
                 "PLAYNX");
  PLAYNX->setVisible(false);
  Label7 = named(label(pl, 0, 0, px(40), kListRow, "Aqui !", 10), "Label7");
  Label7->setVisible(false);
  IdxLST = named(label(pl, 0, 0, px(40), px(14), "0", 10), "IdxLST");
  IdxLST->setVisible(false);
  const float buttonsTop = kListTop + listHeight + px(8);
  cmdbk = named(place(new ui::CommandButton(pl, "I<<"), kListGutter, buttonsTop, px(50), px(26)),
                "cmdbk");
  cmdnext = named(
      place(new ui::CommandButton(pl, ">>I"), kListGutter + px(56), buttonsTop, px(50), px(26)),
      "cmdnext");
  cmdquitarlst = named(
      place(new ui::CommandButton(pl, "Remove"), kListGutter + px(118), buttonsTop, px(80), px(26)),
      "cmdquitarlst");
  cmdCls = named(place(new ui::CommandButton(pl, "Clean List !"), kListGutter + px(204), buttonsTop,
                       px(110), px(26)),
                 "cmdCls");
  Label1 =
      named(label(pl, kListGutter, buttonsTop + px(28), px(300), px(16), {}, 11, kDim), "Label1");
}

void MainX::createControls() {
  m_form->Move(0, 0, kFormWidth, kFormHeight);
  m_form->setBackColor(kWindow);
  QWidget* root = m_form->container();
  etqsup =
      named(label(root, px(10), px(4), px(300), px(24), "Torna Vel", 18, kText, true), "etqsup");
  ETQBACK = named(label(root, px(320), px(8), px(80), px(18), {}, 11, kDim), "ETQBACK");
  lblTime =
      named(label(root, px(410), px(6), px(90), px(22), "00:00:00", 14, kText, true), "lblTime");
  cmdlsk =
      named(place(new ui::CommandButton(root, "Skin"), kFormWidth - px(130), px(6), px(60), px(22)),
            "cmdlsk");
  CMDMIN = named(pictureButton(root, kFormWidth - px(64), px(6), px(26), px(22), "_"), "CMDMIN");
  BTend = named(pictureButton(root, kFormWidth - px(34), px(6), px(26), px(22), "X"), "BTend");
  BTend->setBackColor(QColor(120, 36, 36));
  for (int i = 0; i < 2; ++i) createDeck(i);

  ETMASTER = named(
      label(root, kMasterLeft - px(90), kMasterTop - px(2), px(84), px(20), "Master Vol", 12, kDim),
      "ETMASTER");
  MasterVOL =
      named(box(root, kMasterLeft, kMasterTop, kMasterWidth, kMasterHeight, kTrack), "MasterVOL");
  MASTSL = named(box(MasterVOL->container(), kMasterWidth - kMasterKnobWidth, 0, kMasterKnobWidth,
                     kMasterHeight, kKnob),
                 "MASTSL");
  createPanels();

  MTimer = new ui::Timer(root, 100, true);
  ChangeVol = new ui::Timer(root, 99, false);
  Timer1 = new ui::Timer(root, 99, false);
  fillSkinTargets();
}

void MainX::fillSkinTargets() {
  skin::SkinTargets& t = m_skinTargets;
  t.BaseImg = BaseImg;
  t.PanelPIC.assign(PanelPIC.begin(), PanelPIC.end());
  t.frmPanelx5 = frmPanelx5;
  t.MasterVOL = MasterVOL;
  t.MASTSL = MASTSL;
  t.pl1 = deck.pl1;
  t.XPitch = deck.XPitch;
  t.XPicthBt = deck.XPicthBt;
  t.cmdPicthRe = deck.cmdPicthRe;
  t.BTPause = deck.BTPause;
  t.BTPlay = deck.BTPlay;
  t.BTStop = deck.BTStop;
  t.XVolBT = deck.XVolBT;
  t.XVolSL = deck.XVolSL;
  t.SLPos = deck.SLPos;
  t.SLPosLeft = deck.SLPosLeft;
  t.PosBT = deck.PosBT;
  t.ChkPicPlato = deck.ChkPicPlato;
  t.chksel = deck.chksel;
  t.cmdback = cmdback;
  t.cmdgodo = cmdgodo;
  t.cmdVEW = cmdVEW;
}

}  // namespace app
