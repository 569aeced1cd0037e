#include "MainX.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>

#include "LanguageFile.h"
#include "Version.h"
#include "platform/os/NativePath.h"
#include "platform/os/TempFile.h"
#include "playlist/TrackNames.h"
#include "skin/Metrics.h"

namespace app {

MainX::MainX(audio::AudioEngine& engine, audio::DeckTable& decks, platform::SettingsStore& settings,
             platform::FileTypeChoice& fileTypes, const platform::AppPaths& paths,
             std::function<void()> end, bool measureTracks)
    : m_end(std::move(end)),
      m_engine(engine),
      m_deckTable(decks),
      m_settings(settings),
      m_paths(paths) {
  m_form = std::make_unique<ui::Form>(QStringLiteral("Torna Vel"));
  m_form->widget()->setWindowFlag(Qt::FramelessWindowHint);
  m_form->Move(0, 0, skin::px(960), skin::px(680));
  m_form->setBackColor(ui::darkPalette().window);
  m_skinLoader = std::make_unique<skin::SkinLoader>(settings, paths, m_order);
  m_skinned = std::make_unique<skin::SkinnedButtons>(*m_skinLoader);
  m_selection = std::make_unique<SkinnedSelection>(*m_skinned);
  m_shell = std::make_unique<ShellPanel>(*m_form, m_build, m_windowDrag, m_panelMarker);
  m_decks =
      std::make_unique<audio::DecksPanel>(engine, decks, *m_form, m_build, *m_selection,
                                          m_state.deck, m_windowDrag, *m_skinLoader, fileTypes);
  m_skinLoader->selectedDeck = [this] { return m_state.deck.selected; };
  m_skinned->showTitle = [this](int deck) { m_decks->engine().ShowTitleInCaption(deck); };
  m_options = std::make_unique<OptionsPanel>(m_shell->page(4), m_build, settings, paths, m_state,
                                             fileTypes);
  m_cue = std::make_unique<audio::CuePanel>(
      engine, decks, m_decks->engine(), std::array<audio::DeckPanel*, 2>{&deck(0), &deck(1)},
      m_form->container(), m_build, settings, m_state.cue, m_options->frmMix->container());
  m_keyLock = std::make_unique<audio::KeyLockControl>(
      m_decks->engine(), decks, std::array<audio::DeckPanel*, 2>{&deck(0), &deck(1)}, settings,
      *m_skinLoader);
  m_equaliser =
      std::make_unique<effects::EqualizerPanel>(m_shell->page(5), m_build, engine, settings);
  m_chorus = std::make_unique<effects::ChorusSwitch>(m_shell->page(5), m_build, engine);
  m_spectrum = std::make_unique<effects::SpectrumDisplay>(
      *m_form, m_build, engine, decks, std::array<audio::DeckPanel*, 2>{&deck(0), &deck(1)},
      m_state.spectrum);
  m_browser =
      std::make_unique<library::BrowserPanel>(m_shell->page(0), m_shell->page(3), m_build,
                                              m_decks->engine(), m_decks->preview(), fileTypes);
  m_playlist = std::make_unique<playlist::PlaylistPanel>(
      m_form->container(), m_build, m_decks->engine(), m_state.autoMix, fileTypes);
  m_library = std::make_unique<library::LibraryPanel>(
      m_shell->page(1), m_state.library, m_build, *m_skinLoader,
      paths.writable(QStringLiteral("DBFolder.tmp")), m_decks->engine(), m_playlist->list(),
      m_panelMarker, fileTypes);
  m_mpris = std::make_unique<Mpris>(m_decks->engine(), m_playlist->play(),
                                    Mpris::Window{[this] { BTend_Click(); }, [this] { raise(); }},
                                    fileTypes);
  const bool measure =
      measureTracks && settings.GetSetting(QStringLiteral("TORNAVEL"), QStringLiteral("LIBRARY"),
                                           QStringLiteral("ANALYSE"), QStringLiteral("1"))
                               .trimmed() != QLatin1String("0");
  m_analysis = std::make_unique<TrackAnalysis>(
      QFile::encodeName(paths.userDataDir + QStringLiteral("/tracks.db")).toStdString(), measure,
      m_facts, m_decks->engine());
  // A recording's cue sheet names a track by its tags when the track database has them.
  m_record = std::make_unique<audio::RecordPanel>(
      engine, m_decks->engine(), m_form->container(), m_build, settings,
      [this](const QByteArray& path) {
        const std::optional<library::TrackFacts> f =
            m_facts.find(std::string_view(path.data(), path.size()));
        if (f && !f->title.isEmpty()) return std::pair(f->artist, f->title);
        const playlist::TrackNames n = playlist::TrackNames::of(path);
        return std::pair(n.artist, n.title);
      });
  wire();
}

MainX::~MainX() {
  m_analysis->shutdown();
  // No library job may outlive the lists it reports to.
  m_library->shutdown(1000);
  m_browser->shutdown(1000);
}

// The calls that cross from one subsystem to another.
void MainX::wire() {
  m_skinned->wire();
  m_decks->engine().addListener(&m_playlist->list());
  // The spectra draw after the decks' tick, and colour the playlist's current-entry bar.
  m_decks->engine().addListener(m_spectrum.get());
  ui::PictureBox* currentBar = m_playlist->view().PICSEL[2];
  m_spectrum->currentBar = {[currentBar] { return currentBar->BackColor(); },
                            [currentBar](const QColor& c) { currentBar->setBackColor(c); }};
  m_decks->engine().addListener(m_mpris.get());
  m_mpris->facts = &m_facts;
  // The lists show what the track database knows, and the analysis follows what they hold.
  m_decks->engine().addListener(m_analysis.get());
  m_decks->engine().addListener(m_record.get());
  m_record->showError = [this](const QString& text) { showMessage(text, true); };
  m_library->showFacts(m_facts);
  m_playlist->model().setFacts(&m_facts);
  m_facts.onChange([this] { m_playlist->view().LSTMP3->view()->viewport()->update(); });
  m_analysis->follow(m_library->libraryModel(), m_playlist->model());
  // Levelling and the silence the auto-mix skips come from the measures.
  m_decks->engine().trackGain = [this](const QByteArray& path) {
    const playlist::AutoMixSettings& mix = m_state.autoMix;
    const std::optional<library::TrackFacts> f = m_facts.measures(platform::bytesOf(path));
    if (!mix.level || !f) return 1.0f;
    return library::TrackFactsTable::levellingGain(mix.targetLufs, f->loudnessLufs, f->peakDbfs);
  };
  m_playlist->autoMix().audibleSpan = [this](const QByteArray& path) {
    const std::optional<library::TrackFacts> f = m_facts.measures(platform::bytesOf(path));
    return f ? std::pair{f->audibleStartMs, f->audibleEndMs} : std::pair{-1, -1};
  };
  m_playlist->autoMix().beatGrid = [this](const QByteArray& path) {
    const std::optional<library::TrackFacts> f = m_facts.measures(platform::bytesOf(path));
    return f ? playlist::BeatGrid{f->bpm, double(f->firstBeatMs)} : playlist::BeatGrid{};
  };
  // The decks' position bars show the waveform of what they hold once it is measured.
  audio::DeckWaveforms& waveforms = m_decks->waveforms();
  waveforms.source = [this](const std::string& path) { return m_analysis->waveform(path); };
  m_analysis->onStored = [&waveforms](const std::string& path) { waveforms.analysed(path); };
  auto message = [this](const QString& text, bool warning) { showMessage(text, warning); };
  m_options->message = message;
  m_cue->message = [this](const QString& text) { showMessage(text, true); };
  m_playlist->list().showError = [this](const QString& text) { showMessage(text, true); };
  m_playlist->exporter().showError = [this](const QString& text) { showMessage(text, true); };
  m_playlist->exporter().ask = [this](const QString& text, std::function<void(bool)> answer) {
    askBox(text, std::move(answer));
  };
  m_library->scanner().MsgBox = [this](const QString& text, library::FolderScanner::Icon icon) {
    showMessage(text, icon == library::FolderScanner::Icon::Warning);
  };
  playlist::AutoMix& mix = m_playlist->autoMix();
  m_options->slDur_Change = [&mix] { mix.slDur_Change(); };
  m_options->slVel_Change = [&mix] { mix.slVel_Change(); };
  m_options->Slider1_Change = [this] {
    m_decks->engine().setStreamBufferSeconds(m_state.streamBufferSeconds);
  };
  m_options->Frame1->onClick = [this] { Frame1_Click(); };
  m_options->optTypes_Change = [this] { m_browser->fileTypesChanged(); };
  m_playlist->view().Label1->onClick = [this] { Label1_Click(); };
  m_shell->BTend->onClick = [this] { BTend_Click(); };
  m_shell->cmdlsk->onClick = [this] { LoadSkin(); };
  m_form->onClick = [this] { LoadSkin(); };
  m_form->onUnload = [this] { Form_Unload(); };
  wireDrops();
  wireBrowser();
  m_actions = std::make_unique<ControlActions>(*m_decks, *m_cue, *m_playlist, *m_library, *m_shell);
  m_keyboard = std::make_unique<Keyboard>(m_form->widget(), *m_actions);
  m_keyboard->load(Keyboard::mapFile(m_paths.settingsFile));
  m_midi = std::make_unique<MidiPanel>(m_options->frmMix->container(), m_form->widget(), m_build,
                                       m_settings, *m_actions, *m_decks,
                                       MidiPanel::mapFile(m_paths.settingsFile));
  m_midi->load();
  // Tab reaches every control that does something, in the window's control order.
  for (const ui::NamedControl& c : m_order)
    if (c.control && !c.control->widget()->isWindow()) c.control->takeKeyboard();
}

// The browser's files reach the playlist and the decks through the library lists' send
// button and pop-up menu.
void MainX::wireBrowser() {
  library::LibraryLists& rows = m_library->rows();
  library::FileBrowser& files = m_browser->browser();
  rows.browser = &files;
  m_browser->view().cmdsendlst0->onClick = [&rows] { rows.cmdsendlst_Click(0); };
  files.PopupMenu = [&rows](const QPoint& at) { rows.expfic()->popup(at); };
  m_browser->setMessages(
      [this](const QString& text, library::MessageIcon icon) { showMessage(text, icon); });
  m_browser->start();
}

// Library rows dragged onto the playlist or onto a deck's title or spectrum.
void MainX::wireDrops() {
  library::LibraryLists& rows = m_library->rows();
  playlist::Playlist& list = m_playlist->list();
  ui::ListView& lst = *m_playlist->view().LSTMP3;
  lst.onDragOver = [&list](ui::Control*, float x, float y) { list.LSTMP3_MouseMove(0, 0, x, y); };
  lst.onDragDrop = [&rows, &list](ui::Control* source, float, float y) {
    const QList<QByteArray> paths = rows.draggedPaths(source);
    if (!paths.isEmpty()) list.LSTMP3_RowsDropped(paths, y);
    rows.dragDone();
  };
  for (int k = 0; k < 2; ++k) {
    auto drop = [&rows, k](ui::Control* source, float, float) { rows.dropOnDeck(source, k); };
    // The title's strip takes the drop too: an empty deck has no title to aim at.
    deck(k).ETQ_TITULO->onDragDrop = drop;
    deck(k).BACKPICPAN->onDragDrop = drop;
    deck(k).SpectPic->onDragDrop = drop;
  }
}

void MainX::showMessage(const QString& text, bool warning) {
  showBox(text, warning ? QMessageBox::Warning : QMessageBox::Information);
}

void MainX::showMessage(const QString& text, library::MessageIcon icon) {
  showBox(text,
          icon == library::MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Warning);
}

void MainX::showBox(const QString& text, int icon) {
  // The box does not hold up the window or the program: no event loop of its own runs
  // handlers in the middle of another, and closing the window ends the program as usual.
  auto* box = new QMessageBox(QMessageBox::Icon(icon), QStringLiteral("Torna Vel"), text,
                              QMessageBox::Ok, m_form->widget());
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void MainX::askBox(const QString& question, std::function<void(bool)> answer) {
  // Like every box here it does not hold up the window: the answer comes back when given.
  auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Torna Vel"), question,
                              QMessageBox::Yes | QMessageBox::No, m_form->widget());
  box->setDefaultButton(QMessageBox::No);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  QObject::connect(box, &QMessageBox::finished, box, [box, answer = std::move(answer)](int) {
    answer(box->clickedButton() == box->button(QMessageBox::Yes));
  });
  box->show();
}

void MainX::Form_Load() {
  m_shell->ETQBACK->setCaption(QString::number(kVersionMajor) + QString::number(kVersionMinor) +
                               QString::number(kVersionRevision));
  ui::ListView& list = *m_playlist->view().LSTMP3;
  list.ClearColumnHeaders();
  list.AddColumnHeader(QStringLiteral("Num"), 400);
  list.AddColumnHeader(QStringLiteral("Artista"), 2050);
  list.AddColumnHeader(QStringLiteral("Titulo"), 2050);
  list.AddColumnHeader(QStringLiteral("Ruta"), 1);
  list.AddColumnHeader(QStringLiteral("Time"), 600);
  list.AddColumnHeader(QStringLiteral("BPM"), 550);
  library::BrowserView& browser = m_browser->view();
  browser.txtruta->setText(platform::displayPath(browser.Dir1->Path()));
  m_playlist->autoMix().loadSettings();
  m_options->loadPaths();
  removeLeftovers();
  m_playlist->file().LoadLST(m_state.playlistFile);
  // The equaliser joins the chain, is set flat (which also tells every unit its centre),
  // then takes the places the user left it in.
  m_equaliser->addToChain();
  m_equaliser->cmdreseq_Click(0);
  m_equaliser->LOADEQ();
  if (!QFileInfo(m_state.library.path).isFile()) {
    library::LibraryView& lib = m_library->view();
    lib.frmbusq->setVisible(true);
    lib.frmbusq->ZOrder(0);
    m_shell->PanelPIC_Click(1);
  }
  for (ui::PictureBox* mark : m_playlist->autoMix().LinetoMX) mark->ZOrder(0);
}

void MainX::removeLeftovers() {
  // A run killed while it saved left its temporary files beside the files it saves.
  platform::removeStaleTempsBeside(platform::nativePath(m_settings.path()), true);
  for (const QString& file :
       {m_state.library.path, m_state.playlistFile, m_library->scanner().recoveryFile()})
    if (!file.isEmpty()) platform::removeStaleTempsBeside(platform::nativePath(file));
  // A settings file that is not used is said once, in the window as on stderr.
  if (!m_settings.refusal().isEmpty()) showMessage(m_settings.refusal(), true);
}

void MainX::Frame1_Click() {
  LoadBaseDa();
}
void MainX::Label1_Click() {
  m_decks->MTimer->setEnabled(true);
}

void MainX::BTend_Click() {
  // Unloading the window runs its unload handler, whatever started it.
  Form_Unload();
  m_form->Hide();
}

void MainX::Form_Unload() {
  if (m_unloaded) return;
  m_unloaded = true;
  m_equaliser->SaveEQ();
  m_analysis->shutdown();
  // A library job still running stops where it is and its thread ends; what it wrote stays.
  m_library->shutdown(1000);
  m_browser->shutdown(1000);
  // A playlist that cannot be written leaves the old file as it was; the program ends all
  // the same.
  m_playlist->file().saveLST(m_state.playlistFile);
  for (int i : {audio::DeckA, audio::DeckB, audio::PreviewSlot}) {
    audio::DeckState& d = m_deckTable[std::size_t(i)];
    if (d.Sound) m_engine.System.releaseSound(d.Sound);
  }
  m_engine.close();
  if (m_end) m_end();
}

void MainX::setLoadProgress(library::LoadProgress* progress) {
  m_library->lists().progress = progress;
}

void MainX::LoadSkin() {
  m_skinLoader->LoadSkin();
  m_keyLock->show();
}

void MainX::LoadLanguage() {
  LanguageFile::Load(m_paths.find(QStringLiteral("Leng.ini")), m_order);
}

bool MainX::LoadBaseDa() {
  return m_library->lists().LoadBaseDa();
}

void MainX::ResetC() {
  m_decks->pitch().ResetC();
}

void MainX::openFiles(const QByteArrayList& paths, playlist::PlaylistActions::Start start,
                      bool raise) {
  if (m_unloaded) return;
  m_playlist->play().OpenFiles(paths, start);
  if (raise) this->raise();
}

void MainX::raise() {
  QWidget* window = m_form->widget();
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->raise();
  window->activateWindow();
}

void MainX::stopTimers() {
  m_decks->stopTimers();
  m_playlist->stopTimers();
}

}  // namespace app
