#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "AudioEngine.h"
#include "CueSheet.h"
#include "DeckActions.h"
#include "DeckEvents.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/Build.h"
#include "platform/ui/Label.h"
#include "platform/ui/PictureBox.h"

namespace audio {

// Recording the mix: a REC toggle between the decks and the recording's time under it. A
// recording goes to the user's music folder under "Recordings/" (or the folder the settings
// name), named by the date and time it started, as 24-bit FLAC or float WAV (application
// "TORNAVEL", section "RECORD", keys FORMAT 0/1 and FOLDER). Beside it a cue sheet lists each
// track a deck starts while it runs, rewritten at every start, so it is complete at any time.
class RecordPanel : public DeckEvents {
 public:
  // A track's performer and title, from what is known of the file or else from its name.
  using NamesOf = std::function<std::pair<QString, QString>(const QByteArray& path)>;

  RecordPanel(AudioEngine& engine, DeckActions& decks, QWidget* window, ui::Builder& build,
              platform::SettingsStore& settings, NamesOf names);
  ~RecordPanel() override;

  void BTRec_Click();
  // Follows the recording: its time, the tracks that start, and a stop on a write error.
  void ticked() override;

  // The time under the toggle for `frames` recorded: hours, minutes and seconds, "01:02:03".
  static QString shownTime(std::uint64_t frames);
  // The folder recordings go to now.
  QString folder() const;
  bool recording() const { return m_recording; }
  const std::string& path() const { return m_path; }
  // Told why a recording could not start or had to stop.
  std::function<void(const QString& text)> showError;

  ui::PictureBox* BTRec;
  ui::Label* lblRecTime;

 private:
  void start();
  void stop();
  void noteTracks(bool atStart);
  void writeCue() const;
  void show();

  AudioEngine& m_engine;
  DeckActions& m_decks;
  platform::SettingsStore& m_settings;
  NamesOf m_names;
  bool m_recording = false;
  std::string m_path, m_cuePath;
  std::vector<CueTrack> m_tracks;
  std::array<QByteArray, 2> m_noted;  // the track last listed per deck
  std::array<bool, 2> m_wasPlaying{};
};

}  // namespace audio
