#pragma once

#include "Playlist.h"
#include "audio/DeckControls.h"
#include "audio/DeckEngine.h"
#include "audio/Transport.h"
#include "audio/VolumeControl.h"

namespace playlist {

// Taking playlist entries into the decks: the double-click, the menu's play command, and
// next and previous, which cut over to the other deck at full volume.
class PlayFromList {
 public:
  PlayFromList(Playlist& playlist, PlaylistControls& controls, audio::DeckEngine& decks,
               audio::Transport& transport, audio::VolumeControl& volume,
               audio::DeckControls& deckControls);

  void LSTMP3_DblClick();
  void PlaySelected();
  void cmdnext_Click();
  void cmdbk_Click();

 private:
  void cutTo(int position);

  Playlist& m_list;
  PlaylistControls& m_c;
  audio::DeckEngine& m_decks;
  audio::Transport& m_transport;
  audio::VolumeControl& m_volume;
  audio::DeckControls& m_deckControls;
};

}  // namespace playlist
