#pragma once

#include <memory>

#include "AutoMix.h"
#include "PlayFromList.h"
#include "Playlist.h"
#include "PlaylistExport.h"
#include "PlaylistFile.h"
#include "PlaylistMenu.h"
#include "PlaylistModel.h"
#include "PlaylistView.h"

namespace playlist {

// The playlist at the right of the window: its entries and current entry, the list with
// its markers and buttons, the playlist file, taking entries into the decks, and auto-mix.
class PlaylistPanel {
 public:
  // The auto-mix boxes write `mix`, and auto-mix follows it.
  PlaylistPanel(QWidget* window, ui::Builder& build, audio::DeckActions& decks,
                AutoMixSettings& mix, const platform::FileTypeChoice& fileTypes);
  ~PlaylistPanel();

  PlaylistModel& model() { return m_model; }
  PlaylistView& view() { return *m_view; }
  Playlist& list() { return *m_list; }
  PlaylistFile& file() { return *m_file; }
  PlayFromList& play() { return *m_play; }
  PlaylistMenu& menu() { return *m_menuEntries; }
  PlaylistExport& exporter() { return *m_export; }
  AutoMix& autoMix() { return *m_autoMix; }
  void stopTimers();

 private:
  void wire(AutoMixSettings& settings);

  PlaylistModel m_model;
  QMenu m_menu;  // menu_mp3lst
  std::unique_ptr<PlaylistView> m_view;
  std::unique_ptr<Playlist> m_list;
  std::unique_ptr<PlaylistFile> m_file;
  std::unique_ptr<PlayFromList> m_play;
  std::unique_ptr<PlaylistExport> m_export;
  std::unique_ptr<PlaylistMenu> m_menuEntries;
  std::unique_ptr<AutoMix> m_autoMix;
};

}  // namespace playlist
