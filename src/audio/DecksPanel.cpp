#include "DecksPanel.h"

#include <QFileDialog>
#include <QRadioButton>
#include <type_traits>

#include "platform/os/NativePath.h"
#include "platform/ui/Accessible.h"
#include "skin/Metrics.h"

namespace audio {

using namespace skin;
using ui::Builder;

namespace {
constexpr float kDeckLeft[2] = {px(8), px(516)}, kDeckTop = px(34);
constexpr float kMasterLeft = px(360), kMasterTop = px(292);

template <class Panel>
using DeckMouseHandler = void (Panel::*)(int Index, int Button, int Shift, float X, float Y);

// Hands a control's pointer events to a panel's handlers for deck `i`; a null handler leaves
// that event unhandled.
template <class Panel>
void wireMouse(ui::Control& control, Panel& panel, int i,
               std::type_identity_t<DeckMouseHandler<Panel>> down,
               std::type_identity_t<DeckMouseHandler<Panel>> move,
               std::type_identity_t<DeckMouseHandler<Panel>> up) {
  const auto bind = [&panel, i](DeckMouseHandler<Panel> h) -> ui::MouseHandler {
    if (!h) return {};
    return [&panel, i, h](int b, int s, float x, float y) { (panel.*h)(i, b, s, x, y); };
  };
  control.onMouseDown = bind(down);
  control.onMouseMove = bind(move);
  control.onMouseUp = bind(up);
}
}  // namespace

DecksPanel::DecksPanel(AudioEngine& engine, DeckTable& decks, ui::Form& form, ui::Builder& build,
                       DeckSelection& selection, DeckChoice& choice, ui::WindowDrag& windowDrag,
                       ui::PictureSource& pictures, const platform::FileTypeChoice& fileTypes) {
  QWidget* root = form.container();
  const ui::Palette& c = ui::darkPalette();
  lblTime = build.named(
      Builder::label(root, px(410), px(6), px(90), px(22), "00:00:00", 14, c.text, true),
      "lblTime");
  for (int i = 0; i < 2; ++i)
    m_decks[std::size_t(i)] = std::make_unique<DeckPanel>(i, root, kDeckLeft[i], kDeckTop, build);
  ETMASTER = build.named(Builder::label(root, kMasterLeft - px(90), kMasterTop - px(2), px(84),
                                        px(20), "Master Vol", 12, c.dim),
                         "ETMASTER");
  MasterVOL =
      build.named(Builder::box(root, kMasterLeft, kMasterTop, kMasterWidth, kMasterHeight, c.track),
                  "MasterVOL");
  MASTSL = build.named(Builder::box(MasterVOL->container(), kMasterWidth - kMasterKnobWidth, 0,
                                    kMasterKnobWidth, kMasterHeight, c.knob),
                       "MASTSL");
  ui::describe(*MASTSL, ui::AccessibleRole::Slider, QStringLiteral("Master volume"), [this] {
    const float travel = MasterVOL->Width() - MASTSL->Width();
    return travel > 0 ? 100.0 * double(MASTSL->Left()) / double(travel) : 100.0;
  });
  ui::describe(*lblTime, ui::AccessibleRole::Text, QStringLiteral("Clock"));
  MTimer = new ui::Timer(root, 100, true);
  ChangeVol = new ui::Timer(root, 99, false);
  Timer1 = new ui::Timer(root, 99, false);

  const std::array<DeckPanel*, 2> panels{m_decks[0].get(), m_decks[1].get()};
  m_engine =
      std::make_unique<DeckEngine>(engine, decks, panels, form, selection, choice, fileTypes);
  m_transport = std::make_unique<Transport>(engine, decks, *m_engine, panels, *lblTime);
  m_preview = std::make_unique<PreviewPlayer>(engine, decks, *m_engine);
  // The overviews follow the knobs after the transport has moved them.
  m_waveforms = std::make_unique<DeckWaveforms>(*m_engine, panels);
  m_engine->addListener(m_waveforms.get());
  m_pitch = std::make_unique<PitchControl>(*m_engine, decks, panels, m_grab, windowDrag);
  m_volume = std::make_unique<VolumeControl>(engine, *m_engine, decks, panels,
                                             VolumeControl::Master{MasterVOL, MASTSL}, *ChangeVol,
                                             m_grab, windowDrag, pictures);
  chooseAudioFile = [root, &fileTypes] {
    return QFileDialog::getOpenFileName(root, QStringLiteral("Open a track"), QString(),
                                        dialogFilter(fileTypes.value()), nullptr,
                                        QFileDialog::DontUseNativeDialog);
  };
  for (int i = 0; i < 2; ++i) wireDeck(i);
  auto& vol = *m_volume;
  MASTSL->onMouseDown = [&vol](int b, int s, float x, float y) {
    vol.MASTSL_MouseDown(b, s, x, y);
  };
  MASTSL->onMouseMove = [&vol](int b, int s, float x, float y) {
    vol.MASTSL_MouseMove(b, s, x, y);
  };
  MASTSL->onStep = [&vol](int s) { vol.MASTSL_Step(s); };
  ChangeVol->onTimer = [&vol] { vol.ChangeVol_Timer(); };
  m_engine->placeMasterKnob = [&vol](float level) { vol.SetMasterLevel(level); };
  MTimer->onTimer = [this] { MTimer_Timer(); };
  // An option turned on, by the user or by code, selects its deck before its click runs.
  for (int i = 0; i < 2; ++i) {
    ui::OptionButton* option = m_decks[std::size_t(i)]->chksel;
    QObject::connect(option->radio(), &QRadioButton::toggled, option, [&choice, i](bool on) {
      if (on) choice.selected = i;
    });
  }
  m_decks[std::size_t(choice.selected)]->chksel->setValue(true);
}

DecksPanel::~DecksPanel() = default;

QString DecksPanel::dialogFilter(platform::FileTypes types) {
  // The dialog matches names as they are written: each extension in the spellings files
  // come with.
  QStringList globs;
  for (const char* e : platform::playableExtensions(types)) {
    const QString lower = QString::fromLatin1(e);
    globs << QStringLiteral("*.") + lower << QStringLiteral("*.") + lower.toUpper()
          << QStringLiteral("*.") + lower.left(1).toUpper() + lower.mid(1);
  }
  return QStringLiteral("Audio files (%1)").arg(globs.join(QLatin1Char(' ')));
}

void DecksPanel::wireDeck(int i) {
  DeckPanel& d = *m_decks[std::size_t(i)];
  auto& tr = *m_transport;
  auto& vol = *m_volume;
  auto& pit = *m_pitch;
  d.BTPlay->onClick = [&tr, i] { tr.BTPlay_Click(i); };
  d.BTPause->onClick = [&tr, i] { tr.BTPause_Click(i); };
  d.BTStop->onClick = [&tr, i] { tr.BTStop_Click(i); };
  d.BTLoad->onClick = [this, i] { BTLoad_Click(i); };
  wireMouse(*d.PosBT, tr, i, &Transport::PosBT_MouseDown, &Transport::PosBT_MouseMove,
            &Transport::PosBT_MouseUp);
  wireMouse(*d.XVolBT, vol, i, &VolumeControl::XVolBT_MouseDown, &VolumeControl::XVolBT_MouseMove,
            &VolumeControl::XVolBT_MouseUp);
  wireMouse(*d.BTVOLUP, vol, i, &VolumeControl::BTVOLUP_MouseDown, nullptr,
            &VolumeControl::BTVOL_MouseUp);
  wireMouse(*d.BTVOLD, vol, i, &VolumeControl::BTVOLD_MouseDown, nullptr,
            &VolumeControl::BTVOL_MouseUp);
  wireMouse(*d.XPicthBt, pit, i, &PitchControl::XPicthBt_MouseDown,
            &PitchControl::XPicthBt_MouseMove, &PitchControl::XPicthBt_MouseUp);
  d.XPicthBt->onDblClick = [&pit, i] { pit.XPicthBt_DblClick(i); };
  d.cmdPicthRe->onClick = [&pit, i] { pit.cmdPicthRe_Click(i); };
  d.BTPICTHUP->onClick = [&pit, i] { pit.BTPICTHUP_Click(i); };
  d.BTPICTHDW->onClick = [&pit, i] { pit.BTPICTHDW_Click(i); };
  d.PosBT->onStep = [&tr, i](int s) { tr.PosBT_Step(i, s); };
  d.XVolBT->onStep = [&vol, i](int s) { vol.XVolBT_Step(i, s); };
  d.XPicthBt->onStep = [&pit, i](int s) { pit.XPicthBt_Step(i, s); };
}

void DecksPanel::BTLoad_Click(int Index) {
  const QString path = chooseAudioFile ? chooseAudioFile() : QString();
  if (!path.isEmpty()) (void)m_engine->OpenDeckTrack(platform::nativePath(path), Index, false);
}

void DecksPanel::MTimer_Timer() {
  m_transport->MTimer_Timer();
  for (DeckEvents* l : m_engine->listeners()) l->ticked();
}

void DecksPanel::stopTimers() {
  for (ui::Timer* t : {MTimer, ChangeVol, Timer1}) t->setEnabled(false);
}

}  // namespace audio
