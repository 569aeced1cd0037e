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

void MainX::wireEvents() {
  auto& de = *m_deckEngine;
  for (int i = 0; i < 2; ++i) {
    const auto d = std::size_t(i);
    deck.BTPlay[d]->onClick = [&de, i] { de.PlayDeck(i); };
    deck.BTPause[d]->onClick = [&de, i] { de.TogglePause(i); };
    deck.BTStop[d]->onClick = [&de, i] { de.StopDeck(i); };
    deck.BTLoad[d]->onClick = [this, i] { BTLoad_Click(i); };
  }
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
void MainX::ResetC() {}

void MainX::stopTimers() {
  for (ui::Timer* t : {MTimer, ChangeVol, Timer1}) t->setEnabled(false);
}

}  // namespace app
