#pragma once

#include <QStringView>
#include <array>
#include <functional>

#include "KeyMap.h"

namespace audio {
class CuePanel;
class DecksPanel;
}  // namespace audio
namespace library {
class LibraryPanel;
}
namespace playlist {
class PlaylistPanel;
}

namespace app {

class ShellPanel;

// The named actions of `kControlActions`, each bound to the handler that the control it
// stands for calls when clicked: keys and controllers work the player through here, never
// through faked mouse events.
class ControlActions {
 public:
  ControlActions(audio::DecksPanel& decks, audio::CuePanel& cue, playlist::PlaylistPanel& playlist,
                 library::LibraryPanel& library, ShellPanel& shell);

  void run(int action) const;
  // Runs the action `name` names; false for no such action.
  bool run(QStringView name) const;

 private:
  void bindDeck(int deck, audio::DecksPanel& decks, audio::CuePanel& cue,
                library::LibraryPanel& library);

  std::array<std::function<void()>, kActionCount> m_run;
};

}  // namespace app
