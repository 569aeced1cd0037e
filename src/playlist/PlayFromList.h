#pragma once

#include "Playlist.h"
#include "audio/DeckActions.h"

namespace playlist {

// Taking playlist entries into the decks: the double-click, the menu's play command, and
// next and previous, which cut over to the other deck at full volume.
class PlayFromList {
 public:
  PlayFromList(Playlist& playlist, PlaylistView& panel, audio::DeckActions& decks);

  void LSTMP3_DblClick();
  void PlaySelected();
  void cmdnext_Click();
  void cmdbk_Click();

 private:
  void cutTo(int position);

  Playlist& m_list;
  PlaylistView& m_p;
  audio::DeckActions& m_decks;
};

}  // namespace playlist
