#include "MainX.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "FrmSplash.h"
#include "LanguageFile.h"
#include "Program.h"
#include "Version.h"
#include "platform/os/NativePath.h"

namespace app {

namespace {
const QString kPathsApp = QStringLiteral("TORNA VEL");
const QString kPathsSection = QStringLiteral("CONFIG");
}  // namespace

MainX::MainX(Program& program, audio::AudioEngine& engine, audio::DeckTable& decks,
             platform::SettingsStore& settings, const platform::AppPaths& paths)
    : m_program(program), m_engine(engine), m_decks(decks), m_settings(settings), m_paths(paths) {
  m_form = std::make_unique<ui::Form>(QStringLiteral("Torna Vel"));
  m_form->widget()->setWindowFlag(Qt::FramelessWindowHint);
  createControls();
  createSubsystems();
  deck.chksel[0]->setValue(true);
  chooseAudioFile = [this] {
    return QFileDialog::getOpenFileName(
        m_form->widget(), QStringLiteral("Open a track"), QString(),
        QStringLiteral("Audio files (*.mp3 *.MP3 *.Mp3 *.wma *.WMA *.Wma *.wav *.WAV *.Wav)"),
        nullptr, QFileDialog::DontUseNativeDialog);
  };
  wireEvents();
}

MainX::~MainX() {
  // No library job may outlive the lists it reports to.
  m_libraryWorker->shutdown(1000);
}

void MainX::showMessage(const QString& text, bool warning) {
  // The box does not hold up the window or the program: no event loop of its own runs
  // handlers in the middle of another, and closing the window ends the program as usual.
  auto* box = new QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information,
                              QStringLiteral("Torna Vel"), text, QMessageBox::Ok, m_form->widget());
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

// One object per subsystem, each given exactly the controls and services it works on.
void MainX::createSubsystems() {
  m_skinLoader = std::make_unique<skin::SkinLoader>(m_settings, m_paths, m_skinTargets);
  m_skinned = std::make_unique<skin::SkinnedButtons>(*m_skinLoader, m_skinTargets, deck.ETQ_TITULO,
                                                     *m_form);
  m_deckEngine = std::make_unique<audio::DeckEngine>(m_engine, m_decks, deck, *m_form, *PICSEL[2]);
  m_pitch = std::make_unique<audio::PitchControl>(m_engine, m_decks, deck, KnobGrabY, m_windowDrag);
  m_volume =
      std::make_unique<audio::VolumeControl>(m_engine, *m_deckEngine, deck, *m_pitch, *MasterVOL,
                                             *MASTSL, *ChangeVol, KnobGrabY, m_windowDrag);
  m_volume->skinPicture = [this](const QString& f) { return m_skinLoader->picture(f); };
  m_transport =
      std::make_unique<audio::Transport>(m_engine, m_decks, *m_deckEngine, deck, *lblTime);
  m_deckEngine->SetFreq = [this](int d) { m_pitch->SetFreq(d); };
  m_playlistControls = {LSTMP3, PICSEL, SelDir, PLAYNX, Label7, IdxLST, Label1, PICTURELST};
  m_playlist = std::make_unique<playlist::Playlist>(m_playlistControls);
  m_playlistFile = std::make_unique<playlist::PlaylistFile>(*m_playlist);
  m_libraryControls = {lstdata, lstresul,   txtbusq, BaseImg, lblCntLST, LblFolder,
                       lbleti,  cmdaddbase, frmbusq, txtbsq,  txtBase[0]};
  m_libraryWorker = std::make_unique<library::LibraryWorker>();
  m_library = std::make_unique<library::Library>(m_libraryControls, m_libraryModel, m_resultModel,
                                                 *m_libraryWorker);
  m_library->skinPicture = [this](const QString& f) { return m_skinLoader->picture(f); };
  m_library->progress = &m_program.splash();
  m_scanner = std::make_unique<library::FolderScanner>(
      m_libraryControls, m_libraryModel, *m_library, *m_libraryWorker,
      m_paths.writable(QStringLiteral("DBFolder.tmp")));
  m_scanner->BrowseFolder = [this](const QString& title) {
    return QFileDialog::getExistingDirectory(
        m_form->widget(), title, QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  };
  m_scanner->MsgBox = [this](const QString& text, library::FolderScanner::Icon icon) {
    showMessage(text, icon == library::FolderScanner::Icon::Warning);
  };
  m_playFromList = std::make_unique<playlist::PlayFromList>(
      *m_playlist, m_playlistControls, *m_deckEngine, *m_transport, *m_volume, deck);
  m_deckEngine->ChkPicPlato_Click = [this](int d) { m_skinned->ChkPicPlato_Click(d); };
}

void MainX::wireDeck(int i) {
  const auto d = std::size_t(i);
  using H = ui::MouseHandler;
  auto& tr = *m_transport;
  auto& vol = *m_volume;
  auto& pit = *m_pitch;
  auto& sk = *m_skinned;
  deck.BTPlay[d]->onClick = [&tr, i] { tr.BTPlay_Click(i); };
  deck.BTPause[d]->onClick = [&tr, i] { tr.BTPause_Click(i); };
  deck.BTStop[d]->onClick = [&tr, i] { tr.BTStop_Click(i); };
  deck.BTPlay[d]->onMouseDown =
      H([&sk, i](int b, int s, float x, float y) { sk.BTPlay_MouseDown(i, b, s, x, y); });
  deck.BTPause[d]->onMouseDown =
      H([&sk, i](int b, int s, float x, float y) { sk.BTPause_MouseDown(i, b, s, x, y); });
  deck.BTStop[d]->onMouseDown =
      H([&sk, i](int b, int s, float x, float y) { sk.BTStop_MouseDown(i, b, s, x, y); });
  deck.BTPlay[d]->onMouseMove =
      H([&sk, i](int b, int s, float x, float y) { sk.BTPlay_MouseMove(i, b, s, x, y); });
  deck.BTPause[d]->onMouseMove =
      H([&sk, i](int b, int s, float x, float y) { sk.BTPause_MouseMove(i, b, s, x, y); });
  deck.BTStop[d]->onMouseMove =
      H([&sk, i](int b, int s, float x, float y) { sk.BTStop_MouseMove(i, b, s, x, y); });
  deck.BTLoad[d]->onClick = [this, i] { BTLoad_Click(i); };
  deck.ChkPicPlato[d]->onClick = [&sk, i] { sk.ChkPicPlato_Click(i); };
  deck.chksel[d]->onClick = [&sk, i] { sk.chksel_Click(i); };
  // The option loses the focus right after the user's click, which validates it.
  QObject::connect(deck.chksel[d]->radio(), &QRadioButton::clicked, deck.chksel[d], [&sk, i] {
    bool cancel = false;
    sk.chksel_Validate(i, cancel);
  });
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

void MainX::wirePlaylist() {
  auto& pl = *m_playlist;
  auto& play = *m_playFromList;
  LSTMP3->onMouseDown = [&pl](int b, int s, float x, float y) { pl.LSTMP3_MouseDown(b, s, x, y); };
  LSTMP3->onMouseMove = [&pl](int b, int s, float x, float y) { pl.LSTMP3_MouseMove(b, s, x, y); };
  LSTMP3->onMouseUp = [&pl](int b, int s, float x, float y) { pl.LSTMP3_MouseUp(b, s, x, y); };
  LSTMP3->onDblClick = [&play] { play.LSTMP3_DblClick(); };
  LSTMP3->onFilesDropped = [&pl](const QStringList& f, float x, float y) {
    pl.LSTMP3_FilesDropped(f, x, y);
  };
  LSTMP3->onFilesDragOver = [&pl](float x, float y) { pl.LSTMP3_FilesDragOver(x, y); };
  cmdnext->onClick = [&play] { play.cmdnext_Click(); };
  cmdbk->onClick = [&play] { play.cmdbk_Click(); };
  cmdquitarlst->onClick = [&pl] { pl.cmdquitarlst_Click(); };
  cmdCls->onClick = [&pl] { pl.cmdCls_Click(); };
}

void MainX::wireLibrary() {
  auto& lib = *m_library;
  auto& scan = *m_scanner;
  cmdbusq->onClick = [&lib] { lib.cmdbusq_Click(); };
  txtbusq->onKeyPress = [&lib](int key) { lib.txtbusq_KeyPress(key); };
  txtbusq->onKeyUp = [&lib] { lib.txtbusq_KeyUp(); };
  txtbusq->onMouseMove = [&lib](int, int, float, float) { lib.txtbusq_MouseMove(); };
  cmdaddbase->onClick = [&scan] { scan.cmdaddbase_Click(); };
  cmdbusqc->onClick = [&scan] { scan.cmdbusqc_Click(); };
  cmdbuq[0]->onClick = [&scan] { scan.cmdbuq_Click(0); };
  cmdbuq[1]->onClick = [&scan] { scan.cmdbuq_Click(1); };
  txtbsq->onMouseUp = [&scan](int button, int, float, float) {
    if (button == ui::LeftButton) scan.txtbsq_Click();
  };
  cmdkl->onClick = [&scan] { scan.cmdkl_Click(); };
  cmdCancelScan->onClick = [&scan] { scan.cmdCancelScan_Click(); };
}

void MainX::wireEvents() {
  for (int i = 0; i < 2; ++i) wireDeck(i);
  wirePlaylist();
  wireLibrary();
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
  cmdlsk->onClick = [this] { cmdlsk_Click(); };
  for (int i = 0; i < 6; ++i) PanelPIC[std::size_t(i)]->onClick = [this, i] { PanelPIC_Click(i); };
  Frame1->onClick = [this] { Frame1_Click(); };
  Label1->onClick = [this] { Label1_Click(); };
  cmd->onClick = [this] { cmd_Click(); };
  cmdrest->onClick = [this] { cmdrest_Click(); };
  Slider1->onChange = [this] { m_deckEngine->Slider1_Change(*Slider1); };
  m_form->onUnload = [this] { Form_Unload(); };
  m_form->onClick = [this] { Form_Click(); };
  m_form->onMouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
  m_form->onMouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  m_form->onMouseUp = [this](int b, int s, float x, float y) { Form_MouseUp(b, s, x, y); };
  etqsup->onMouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
  etqsup->onMouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
}

void MainX::Form_Load() {
  ETQBACK->setCaption(QString::number(kVersionMajor) + QString::number(kVersionMinor) +
                      QString::number(kVersionRevision));
  // The file-system object of the original is Qt's own file classes here: nothing to make.
  LSTMP3->ClearColumnHeaders();
  LSTMP3->AddColumnHeader(QStringLiteral("Num"), 400);
  LSTMP3->AddColumnHeader(QStringLiteral("Artista"), 2050);
  LSTMP3->AddColumnHeader(QStringLiteral("Titulo"), 2050);
  LSTMP3->AddColumnHeader(QStringLiteral("Ruta"), 1);
  // The file browser's start folder goes to txtruta once the browser exists.
  MixPointPercent = std::int16_t(slDur->Value());
  FadeStepInterval = std::int16_t(slVel->Value());
  txtBase[0]->setText(m_settings.GetSetting(kPathsApp, kPathsSection, QStringLiteral("DBADIR"),
                                            m_paths.defaultLibraryFile()));
  txtBase[1]->setText(m_settings.GetSetting(kPathsApp, kPathsSection, QStringLiteral("LSTDIR"),
                                            m_paths.defaultPlaylistFile()));
  m_playlistFile->LoadLST(txtBase[1]->Text());
  // The equaliser joins the chain and takes its saved positions once its panel exists.
  if (!QFileInfo(txtBase[0]->Text()).isFile()) {
    frmbusq->setVisible(true);
    frmbusq->ZOrder(0);
    PanelPIC_Click(1);
  }
  LinetoMX[0]->ZOrder(0);
  LinetoMX[1]->ZOrder(0);
}

void MainX::PanelPIC_Click(int Index) {
  PanelPIC[0]->setTag(QString::number(Index));
  if (Index == 2) return;
  if (Index == 1) {
    PICFICHEROS->setVisible(true);
    PICFICHEROS->ZOrder(0);
    return;
  }
  ui::PictureBox* panels[] = {frmPanelx0, nullptr, nullptr, frmPanelx3, frmPanelx4, frmPanelx5};
  if (Index >= 0 && Index < 6 && panels[Index]) panels[Index]->ZOrder(0);
}

void MainX::Form_Click() {
  LoadSkin();
}
void MainX::cmdlsk_Click() {
  LoadSkin();
}
void MainX::Frame1_Click() {
  LoadBaseDa();
}
void MainX::Label1_Click() {
  MTimer->setEnabled(true);
}

void MainX::cmd_Click() {
  m_settings.SaveSetting(kPathsApp, kPathsSection, QStringLiteral("DBADIR"), txtBase[0]->Text());
  m_settings.SaveSetting(kPathsApp, kPathsSection, QStringLiteral("LSTDIR"), txtBase[1]->Text());
  if (!m_settings.ok())
    showMessage(QStringLiteral("The settings could not be saved: ") + m_settings.path(), true);
}

void MainX::cmdrest_Click() {
  slDur->setValue(95);
  slVel->setValue(50);
  txtBase[0]->setText(m_paths.defaultLibraryFile());
  txtBase[1]->setText(m_paths.defaultPlaylistFile());
}

void MainX::BTend_Click() {
  // Unloading the window runs its unload handler, whatever started it.
  Form_Unload();
  m_form->Hide();
}

void MainX::Form_Unload() {
  if (m_unloaded) return;
  m_unloaded = true;
  // A library job still running stops where it is and its thread ends; what it wrote stays.
  m_libraryWorker->shutdown(1000);
  // The equaliser is saved here once its panel exists. A playlist that cannot be written
  // leaves the old file as it was; the program ends all the same.
  m_playlistFile->saveLST(txtBase[1]->Text());
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
  if (!path.isEmpty()) m_deckEngine->OpenDeckTrack(platform::nativePath(path), Index, false);
}

void MainX::LoadSkin() {
  m_skinLoader->LoadSkin();
}

void MainX::LoadLanguage() {
  LanguageFile::Load(m_paths.find(QStringLiteral("Leng.ini")), m_order);
}

bool MainX::LoadBaseDa() {
  return m_library->LoadBaseDa();
}
void MainX::ResetC() {
  m_pitch->ResetC();
}

void MainX::stopTimers() {
  for (ui::Timer* t : {MTimer, ChangeVol, Timer1}) t->setEnabled(false);
}

}  // namespace app
