#include "MidiPanel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QWidget>

#include "audio/DecksPanel.h"
#include "platform/os/RegularFile.h"
#include "platform/ui/Accessible.h"
#include "skin/Metrics.h"

namespace app {

using skin::px;
using ui::Builder;

namespace {
const QString kApp = QStringLiteral("TORNAVEL");
const QString kSection = QStringLiteral("MIDI");
const QString kDeviceKey = QStringLiteral("DEVICE");
constexpr qint64 kMaxMapBytes = 1 << 20;
constexpr int kMaxProblemsSaid = 20;
}  // namespace

MidiPanel::MidiPanel(QWidget* options, QWidget* window, ui::Builder& build,
                     platform::SettingsStore& settings, const ControlActions& actions,
                     audio::DecksPanel& decks, QString mapFile)
    : m_settings(settings),
      m_actions(actions),
      m_decks(decks),
      m_window(window),
      m_mapFile(std::move(mapFile)) {
  const ui::Palette& c = ui::darkPalette();
  // Below the levels, in the mixing pane of the options.
  lblMidi = build.named(
      Builder::label(options, px(10), px(256), px(240), px(16), "MIDI device", 11, c.dim),
      "lblMidi");
  cboMidi = build.named(Builder::place(new ui::ComboBox(options), px(10), px(274), px(170), px(24)),
                        "cboMidi");
  cmdLearn = build.named(
      Builder::place(new ui::CommandButton(options, "Learn"), px(186), px(274), px(64), px(24)),
      "cmdLearn");
  lblMidiState = build.named(
      Builder::label(options, px(262), px(270), px(140), px(32), {}, 11, c.dim), "lblMidiState");
  lblMidiState->widget()->setProperty("wordWrap", true);
  ui::describe(*cmdLearn, ui::AccessibleRole::Button,
               QStringLiteral("Learn: move a control on screen, then one of the controller"));
  cboMidi->AddItem(QStringLiteral("(none)"));
  cboMidi->onDropDown = [this] { cboMidi_DropDown(); };
  cboMidi->onClick = [this] { cboMidi_Click(); };
  cmdLearn->onClick = [this] { cmdLearn_Click(); };
  tmrMidi = new ui::Timer(this, 1000, false);
  tmrMidi->onTimer = [this] { m_input.checkPresent(); };
  m_input.onMessages = [this] { midi_Messages(); };
  m_input.onError = [this](const QString& why) {
    tmrMidi->setEnabled(false);
    lblMidiState->setCaption(why);
  };
}

MidiPanel::~MidiPanel() {
  if (learning()) qApp->removeEventFilter(this);
}

QString MidiPanel::mapFile(const QString& settingsFile) {
  return QFileInfo(settingsFile).absolutePath() + QStringLiteral("/midi.txt");
}

void MidiPanel::load() {
  const platform::ReadResult read =
      platform::readRegularFile(QFile::encodeName(m_mapFile), kMaxMapBytes);
  if (read.status == platform::ReadStatus::Ok) {
    QStringList problems;
    m_map = MidiMap::parse(QString::fromUtf8(read.bytes), &problems);
    for (qsizetype i = 0; i < problems.size() && i < kMaxProblemsSaid; ++i)
      platform::reportSkippedFile(QStringLiteral("MIDI mapping %1: %2")
                                      .arg(QDir::toNativeSeparators(m_mapFile), problems[i]));
  }
  const QString device = m_settings.GetSetting(kApp, kSection, kDeviceKey, QString()).trimmed();
  if (device.isEmpty()) return;
  cboMidi->AddItem(device);
  cboMidi->setListIndex(1);
  choose(device);
}

void MidiPanel::cboMidi_DropDown() {
  const QString shown = cboMidi->Text();
  QStringList names = m_input.ports();
  if (cboMidi->ListIndex() > 0 && !names.contains(shown)) names.prepend(shown);
  cboMidi->Clear();
  cboMidi->AddItem(QStringLiteral("(none)"));
  for (const QString& n : names) cboMidi->AddItem(n);
  cboMidi->setListIndex(std::max(0, int(names.indexOf(shown)) + 1));
  if (names.isEmpty()) lblMidiState->setCaption(m_input.error());
}

void MidiPanel::cboMidi_Click() {
  const QString device = cboMidi->ListIndex() > 0 ? cboMidi->Text() : QString();
  m_settings.SaveSetting(kApp, kSection, kDeviceKey, device);
  choose(device);
}

void MidiPanel::choose(const QString& device) {
  if (device.isEmpty()) {
    m_input.close();
    tmrMidi->setEnabled(false);
    lblMidiState->setCaption({});
    return;
  }
  const bool open = m_input.open(device);
  tmrMidi->setEnabled(open);
  lblMidiState->setCaption(open ? QStringLiteral("Connected") : m_input.error());
}

void MidiPanel::cmdLearn_Click() {
  if (learning()) {
    endLearn(QStringLiteral("Learn cancelled"));
    return;
  }
  m_learn = Learn::Control;
  m_learnTarget = -1;
  qApp->installEventFilter(this);
  cmdLearn->setCaption(QStringLiteral("Cancel"));
  lblMidiState->setCaption(QStringLiteral("Move a control on screen"));
}

void MidiPanel::endLearn(const QString& state) {
  if (learning()) qApp->removeEventFilter(this);
  m_learn = Learn::Off;
  cmdLearn->setCaption(QStringLiteral("Learn"));
  lblMidiState->setCaption(state);
}

void MidiPanel::controlTouched(const QString& name) {
  if (!learning()) return;
  const int target = midiTarget(name);
  if (target < 0) return;
  m_learnTarget = target;
  m_learn = Learn::Message;
  lblMidiState->setCaption(QStringLiteral("%1: now move the controller").arg(name));
}

bool MidiPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress) return false;
  // The named control pressed, or the named control an inner part of it belongs to.
  for (auto* w = qobject_cast<QWidget*>(watched); w && w != m_window; w = w->parentWidget()) {
    if (midiTarget(w->accessibleName()) >= 0) {
      controlTouched(w->accessibleName());
      break;
    }
  }
  return false;
}

void MidiPanel::midi_Messages() {
  m_batch.clear();
  // The queue is bounded, so one drain is too: a flood waits in it for the next wake-up,
  // and the window paints between.
  m_input.drain(m_batch);
  if (m_learn == Learn::Message) {
    QString problem;
    if (!m_map.learn(m_learnTarget, m_batch, &problem)) {
      lblMidiState->setCaption(problem);
      return;
    }
    save();
    const QString line = m_map.text().section(QLatin1Char('\n'), -2, -2);
    endLearn(QStringLiteral("Learnt: ") + line);
    return;
  }
  for (const MidiCommand& c : m_map.decode(m_batch)) apply(c);
}

void MidiPanel::apply(const MidiCommand& c) {
  if (!isKnob(c.target)) {
    for (int i = 0; i < c.presses; ++i) m_actions.run(c.target);
    return;
  }
  const int knob = c.target - kActionCount;
  audio::VolumeControl& volume = m_decks.volume();
  audio::PitchControl& pitch = m_decks.pitch();
  if (knob < 2) {
    if (c.set) volume.XVolBT_Set(knob, c.value);
    if (c.steps) volume.XVolBT_Step(knob, c.steps);
  } else if (knob < 4) {
    if (c.set) pitch.XPicthBt_Set(knob - 2, c.value);
    if (c.steps) pitch.XPicthBt_Step(knob - 2, c.steps);
  } else {
    if (c.set) volume.SetMasterLevel(float(c.value));
    if (c.steps) volume.MASTSL_Step(c.steps);
  }
}

void MidiPanel::save() {
  QDir().mkpath(QFileInfo(m_mapFile).absolutePath());
  const QString error =
      platform::saveRegularFile(QFile::encodeName(m_mapFile), m_map.text().toUtf8());
  if (!error.isEmpty()) platform::reportSkippedFile(error);
}

}  // namespace app
