#pragma once

#include <QByteArrayList>
#include <functional>
#include <memory>
#include <vector>

#include "Startup.h"
#include "audio/AudioEngine.h"
#include "audio/DeckState.h"
#include "platform/os/AppPaths.h"
#include "platform/os/AudioFiles.h"
#include "platform/os/SettingsStore.h"
#include "playlist/PlaylistActions.h"

namespace app {

class MainX;

// The run of the player: it creates the sound engine, starts the splash's stages and, at
// the end, stops everything. Tests make one with the inline sound output and their own end
// action.
class Program : private Startup::Host {
 public:
  struct Options {
    sound::Output output = sound::Output::Device;
    std::function<void()> onEnd;  // what ending the program does (leave the event loop)
    platform::AppPaths paths = platform::AppPaths::standard();
    // Told once the main window is loaded, before it shows (the desktop's bus publishes its
    // media controls then).
    std::function<void(MainX&)> onMainLoaded;
    // Whether the tracks are measured (the setting TORNAVEL/LIBRARY/ANALYSE can still turn it
    // off); tests that drive the clock themselves leave it off.
    bool measureTracks = true;
  };

  explicit Program(Options options);
  ~Program() override;

  // The start-up sequence; returns once the splash runs.
  void Main();
  // Loads the main window if it is not loaded yet; its set-up runs once.
  MainX& loadMainX() override;
  MainX* mainX() { return m_mainX.get(); }
  Startup& startup() { return *m_startup; }
  FrmSplash& splash() { return m_startup->splash(); }
  audio::AudioEngine& engine() { return m_engine; }
  audio::DeckTable& decks() { return m_decks; }
  platform::SettingsStore& settings() { return m_settings; }
  // The file types chosen in the options, as the settings held them when the program was
  // made. The shared copy is for a thread that may outlive the program's own objects.
  platform::FileTypeChoice& fileTypes() { return *m_fileTypes; }
  std::shared_ptr<const platform::FileTypeChoice> sharedFileTypes() const { return m_fileTypes; }
  const platform::AppPaths& paths() const { return m_options.paths; }
  // Files opened from outside the window: appended to the playlist, the first started as
  // `start` says, and the window raised when `raise`. They wait until the main window is up
  // with its playlist file loaded.
  void openFiles(const QByteArrayList& paths, playlist::PlaylistActions::Start start, bool raise);
  // The splash hands over: the main window is up.
  void mainWindowShown() override;
  // Ends the program at once: every timer stops and no more stages run.
  void End();
  bool ended() const override { return m_ended; }

 private:
  Options m_options;
  platform::SettingsStore m_settings;
  std::shared_ptr<platform::FileTypeChoice> m_fileTypes;
  audio::AudioEngine m_engine;
  audio::DeckTable m_decks{};
  std::unique_ptr<Startup> m_startup;
  std::unique_ptr<MainX> m_mainX;
  bool m_ended = false;
  bool m_shown = false;
  struct Opening {
    QByteArrayList paths;
    playlist::PlaylistActions::Start start;
    bool raise;
  };
  std::vector<Opening> m_waiting;
};

}  // namespace app
