#include "ControlActions.h"

#include "ShellPanel.h"
#include "audio/CuePanel.h"
#include "audio/DecksPanel.h"
#include "library/LibraryPanel.h"
#include "playlist/PlaylistPanel.h"

namespace app {

ControlActions::ControlActions(audio::DecksPanel& decks, audio::CuePanel& cue,
                               playlist::PlaylistPanel& playlist, library::LibraryPanel& library,
                               ShellPanel& shell) {
  for (int deck = 0; deck < 2; ++deck) bindDeck(deck, decks, cue, library);
  ui::CheckBox& autoPlay = *playlist.view().AutoL;
  // A change of the box raises its click, which turns the auto-mix on or off.
  m_run[2 * kDeckActions] = [&autoPlay] { autoPlay.setValue(autoPlay.Value() ? 0 : 1); };
  ui::TextBox& search = *library.view().txtbusq;
  m_run[2 * kDeckActions + 1] = [&shell, &search] {
    shell.PanelPIC_Click(1);
    search.edit()->setFocus(Qt::ShortcutFocusReason);
    search.edit()->selectAll();
  };
}

void ControlActions::bindDeck(int deck, audio::DecksPanel& decks, audio::CuePanel& cue,
                              library::LibraryPanel& library) {
  audio::Transport& tr = decks.transport();
  audio::PitchControl& pitch = decks.pitch();
  audio::VolumeControl& volume = decks.volume();
  audio::DeckEngine& engine = decks.engine();
  library::LibraryLists& rows = library.rows();
  std::function<void()>* a = &m_run[std::size_t(deck * kDeckActions)];
  // Play on a stopped deck, the pause button's toggle on one that plays or is paused.
  a[0] = [&tr, &engine, deck] {
    switch (engine.TrackOf(deck).playback) {
      case audio::DeckActions::Playback::Playing:
      case audio::DeckActions::Playback::Paused:
        tr.BTPause_Click(deck);
        break;
      case audio::DeckActions::Playback::Stopped:
        tr.BTPlay_Click(deck);
        break;
      case audio::DeckActions::Playback::Empty:
        break;
    }
  };
  a[1] = [&tr, deck] { tr.BTStop_Click(deck); };
  a[2] = [&cue, deck] { cue.BTCue_Click(deck); };
  a[3] = [&pitch, deck] { pitch.BTPICTHUP_Click(deck); };
  a[4] = [&pitch, deck] { pitch.BTPICTHDW_Click(deck); };
  a[5] = [&pitch, deck] { pitch.cmdPicthRe_Click(deck); };
  a[6] = [&volume, deck] { volume.XVolBT_Step(deck, 1); };
  a[7] = [&volume, deck] { volume.XVolBT_Step(deck, -1); };
  a[8] = [&rows, deck] { rows.loadSelected(deck); };
}

void ControlActions::run(int action) const {
  if (action >= 0 && action < kActionCount) m_run[std::size_t(action)]();
}

bool ControlActions::run(QStringView name) const {
  const int action = actionIndex(name);
  run(action);
  return action >= 0;
}

}  // namespace app
