#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

#include "ControlActions.h"
#include "MidiMap.h"
#include "platform/midi/MidiInput.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/Build.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/CommandButton.h"
#include "platform/ui/Timer.h"

namespace audio {
class DecksPanel;
}

namespace app {

// The MIDI controller: its device chosen in the options (application "TORNAVEL", section
// "MIDI", key DEVICE), its mapping file (midi.txt beside the settings), and Learn. Messages
// come from the input's thread as batches; each batch is decoded and coalesced (one command
// per target) and then works the same actions and knob objects as the keys and the mouse.
class MidiPanel : public QObject {
 public:
  MidiPanel(QWidget* options, QWidget* window, ui::Builder& build,
            platform::SettingsStore& settings, const ControlActions& actions,
            audio::DecksPanel& decks, QString mapFile);
  ~MidiPanel() override;

  // The mapping file's place: beside the settings file.
  static QString mapFile(const QString& settingsFile);
  // Reads the mapping file (what cannot be used of it is said on stderr) and opens the
  // saved device, if any.
  void load();

  void cboMidi_DropDown();
  void cboMidi_Click();
  void cmdLearn_Click();
  // The queued batch, drained and applied (or learnt); raised by the input once per batch.
  void midi_Messages();
  // The user pressed the control `name` names: while Learn waits for one, it is the target.
  void controlTouched(const QString& name);
  bool learning() const { return m_learn != Learn::Off; }

  platform::MidiInput& input() { return m_input; }
  const MidiMap& map() const { return m_map; }
  void setMap(MidiMap map) { m_map = std::move(map); }

  ui::Label* lblMidi;           // "MIDI device"
  ui::ComboBox* cboMidi;        // "(none)" and the connected devices
  ui::CommandButton* cmdLearn;  // "Learn"
  ui::Label* lblMidiState;      // what the device or Learn is doing
  ui::Timer* tmrMidi;           // looks for the open device, once a second

 private:
  enum class Learn { Off, Control, Message };
  bool eventFilter(QObject* watched, QEvent* event) override;
  void apply(const MidiCommand& c);
  void choose(const QString& device);
  void endLearn(const QString& state);
  void save();

  platform::SettingsStore& m_settings;
  const ControlActions& m_actions;
  audio::DecksPanel& m_decks;
  QPointer<QWidget> m_window;
  QString m_mapFile;
  platform::MidiInput m_input;
  MidiMap m_map;
  std::vector<platform::MidiMessage> m_batch;
  Learn m_learn = Learn::Off;
  int m_learnTarget = -1;
};

}  // namespace app
