#include "MainX.h"

#include <QFileDialog>
#include <QWindow>

#include "Program.h"
#include "Version.h"

namespace app {

MainX::MainX(Program& program, audio::AudioEngine& engine, audio::DeckTable& decks)
    : m_program(program), m_engine(engine), m_decks(decks) {
  m_form = std::make_unique<ui::Form>(QStringLiteral("Torna Vel"));
  m_form->widget()->setWindowFlag(Qt::FramelessWindowHint);
  createControls();
  m_deckEngine = std::make_unique<audio::DeckEngine>(m_engine, m_decks, deck, *m_form, *PICSEL[2]);
  m_pitch = std::make_unique<audio::PitchControl>(m_engine, m_decks, deck, KnobGrabY, m_windowDrag);
  m_volume =
      std::make_unique<audio::VolumeControl>(m_engine, *m_deckEngine, deck, *m_pitch, *MasterVOL,
                                             *MASTSL, *ChangeVol, KnobGrabY, m_windowDrag);
  m_transport =
      std::make_unique<audio::Transport>(m_engine, m_decks, *m_deckEngine, deck, *lblTime);
  m_deckEngine->SetFreq = [this](int d) { m_pitch->SetFreq(d); };
  deck.chksel[0]->setValue(true);
  chooseAudioFile = [this] {
    return QFileDialog::getOpenFileName(
        m_form->widget(), QStringLiteral("Open a track"), QString(),
        QStringLiteral("Audio files (*.mp3 *.MP3 *.Mp3 *.wma *.WMA *.Wma *.wav *.WAV *.Wav)"),
        nullptr, QFileDialog::DontUseNativeDialog);
  };
  wireEvents();
}

MainX::~MainX() = default;

void MainX::wireDeck(int i) {
  const auto d = std::size_t(i);
  using H = ui::MouseHandler;
  auto& tr = *m_transport;
  auto& vol = *m_volume;
  auto& pit = *m_pitch;
  deck.BTPlay[d]->onClick = [&tr, i] { tr.BTPlay_Click(i); };
  deck.BTPause[d]->onClick = [&tr, i] { tr.BTPause_Click(i); };
  deck.BTStop[d]->onClick = [&tr, i] { tr.BTStop_Click(i); };
  deck.BTLoad[d]->onClick = [this, i] { BTLoad_Click(i); };
  deck.PosBT[d]->onMouseDown =
      H([&tr, i](int b, int s, float x, float y) { tr.PosBT_MouseDown(i, b, s, x, y); });
  deck.PosBT[d]->onMouseMove =
      H([&tr, i](int b, int s, float x, float y) { tr.PosBT_MouseMove(i, b, s, x, y); });
  deck.PosBT[d]->onMouseUp =
      H([&tr, i](int b, int s, float x, float y) { tr.PosBT_MouseUp(i, b, s, x, y); });
  deck.XVolBT[d]->onMouseDown =
      H([&vol, i](int b, int s, float x, float y) { vol.XVolBT_MouseDown(i, b, s, x, y); });
  deck.XVolBT[d]->onMouseMove =
      H([&vol, i](int b, int s, float x, float y) { vol.XVolBT_MouseMove(i, b, s, x, y); });
  deck.XVolBT[d]->onMouseUp =
      H([&vol, i](int b, int s, float x, float y) { vol.XVolBT_MouseUp(i, b, s, x, y); });
  deck.BTVOLUP[d]->onMouseDown =
      H([&vol, i](int b, int s, float x, float y) { vol.BTVOLUP_MouseDown(i, b, s, x, y); });
  deck.BTVOLD[d]->onMouseDown =
      H([&vol, i](int b, int s, float x, float y) { vol.BTVOLD_MouseDown(i, b, s, x, y); });
  deck.BTVOLUP[d]->onMouseUp =
      H([&vol, i](int b, int s, float x, float y) { vol.BTVOL_MouseUp(i, b, s, x, y); });
  deck.BTVOLD[d]->onMouseUp = deck.BTVOLUP[d]->onMouseUp;
  deck.XPicthBt[d]->onMouseDown =
      H([&pit, i](int b, int s, float x, float y) { pit.XPicthBt_MouseDown(i, b, s, x, y); });
  deck.XPicthBt[d]->onMouseMove =
      H([&pit, i](int b, int s, float x, float y) { pit.XPicthBt_MouseMove(i, b, s, x, y); });
  deck.XPicthBt[d]->onMouseUp =
      H([&pit, i](int b, int s, float x, float y) { pit.XPicthBt_MouseUp(i, b, s, x, y); });
  deck.XPicthBt[d]->onDblClick = [&pit, i] { pit.XPicthBt_DblClick(i); };
  deck.cmdPicthRe[d]->onClick = [&pit, i] { pit.cmdPicthRe_Click(i); };
  deck.BTPICTHUP[d]->onClick = [&pit, i] { pit.BTPICTHUP_Click(i); };
  deck.BTPICTHDW[d]->onClick = [&pit, i] { pit.BTPICTHDW_Click(i); };
}

void MainX::wireEvents() {
  for (int i = 0; i < 2; ++i) wireDeck(i);
  auto& vol = *m_volume;
  MASTSL->onMouseDown = [&vol](int b, int s, float x, float y) {
    vol.MASTSL_MouseDown(b, s, x, y);
  };
  MASTSL->onMouseMove = [&vol](int b, int s, float x, float y) {
    vol.MASTSL_MouseMove(b, s, x, y);
  };
  ChangeVol->onTimer = [&vol] { vol.ChangeVol_Timer(); };
  MTimer->onTimer = [this] { m_transport->MTimer_Timer(); };
  BTend->onClick = [this] { BTend_Click(); };
  CMDMIN->onClick = [this] { CMDMIN_Click(); };
  Slider1->onChange = [this] { m_deckEngine->Slider1_Change(*Slider1); };
  m_form->onUnload = [this] { Form_Unload(); };
  m_form->onMouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
  m_form->onMouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  m_form->onMouseUp = [this](int b, int s, float x, float y) { Form_MouseUp(b, s, x, y); };
  etqsup->onMouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
  etqsup->onMouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
}

void MainX::Form_Load() {
  ETQBACK->setCaption(QString::number(kVersionMajor) + QString::number(kVersionMinor) +
                      QString::number(kVersionRevision));
}

void MainX::BTend_Click() {
  // Unloading the window runs its unload handler, whatever started it.
  Form_Unload();
  m_form->Hide();
}

void MainX::Form_Unload() {
  if (m_unloaded) return;
  m_unloaded = true;
  // The equaliser and the playlist are saved here once their panels exist.
  for (int i : {audio::DeckA, audio::DeckB}) {
    audio::Deck& d = m_decks[std::size_t(i)];
    if (d.Sound) m_engine.System.releaseSound(d.Sound);
  }
  m_engine.close();
  m_program.End();
}

void MainX::CMDMIN_Click() {
  m_form->widget()->showMinimized();
}

void MainX::Form_MouseDown(int /*Button*/, int /*Shift*/, float X, float Y) {
  m_windowDrag = true;
  m_dragX = X;
  m_dragY = Y;
}

void MainX::Form_MouseMove(int Button, int /*Shift*/, float X, float Y) {
  if (Button != ui::LeftButton || !m_windowDrag) return;
  QWidget* w = m_form->widget();
  w->move(w->x() + ui::toPixels(X - m_dragX), w->y() + ui::toPixels(Y - m_dragY));
}

void MainX::Form_MouseUp(int, int, float, float) {
  m_windowDrag = false;
}

void MainX::BTLoad_Click(int Index) {
  const QString path = chooseAudioFile ? chooseAudioFile() : QString();
  if (!path.isEmpty()) m_deckEngine->OpenDeckTrack(path, Index, false);
}

void MainX::LoadSkin() {}
void MainX::LoadLanguage() {}
bool MainX::LoadBaseDa() {
  return true;
}
void MainX::ResetC() {
  m_pitch->ResetC();
}

void MainX::stopTimers() {
  for (ui::Timer* t : {MTimer, ChangeVol, Timer1}) t->setEnabled(false);
}

}  // namespace app
