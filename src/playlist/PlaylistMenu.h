#pragma once

#include <QMenu>

#include "PlayFromList.h"
#include "Playlist.h"
#include "PlaylistExport.h"
#include "audio/DeckActions.h"

namespace playlist {

// The playlist's pop-up menu: play the selected entry (on the selected deck, on A or on B),
// remove it, empty the list, or export the list for other players.
class PlaylistMenu {
 public:
  PlaylistMenu(QMenu& menu, Playlist& list, PlayFromList& play, PlaylistExport& exporter,
               audio::DeckActions& decks);

  void menu_mp3Play_Click();
  void menu_mp3PlayA_Click();
  void menu_mp3PlayB_Click();
  void menu_mp3rem_Click();
  void cmd_lstclean_Click();
  void menu_export_Click();

  QAction *menu_mp3Play, *menu_mp3PlayA, *menu_mp3PlayB, *menu_mp3rem, *cmd_lstclean, *menu_export;

 private:
  Playlist& m_list;
  PlayFromList& m_play;
  PlaylistExport& m_export;
  audio::DeckActions& m_decks;
};

}  // namespace playlist
