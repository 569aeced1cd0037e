#pragma once

#include "Playlist.h"
#include "PlaylistActions.h"
#include "audio/DeckActions.h"

namespace playlist {

// Taking playlist entries into the decks: the double-click, the menu's play command, next
// and previous, which cut over to the other deck at full volume, and files opened from
// outside the window.
class PlayFromList : public PlaylistActions {
 public:
  PlayFromList(Playlist& playlist, PlaylistView& panel, audio::DeckActions& decks);

  void LSTMP3_DblClick();
  void PlaySelected();
  void cmdnext_Click();
  void cmdbk_Click();

  void OpenFiles(const QList<QByteArray>& paths, Start start) override;
  bool PlayEntry(int position) override;
  int EntryCount() const override { return m_list.count(); }
  int CurrentEntry() const override { return m_list.current(); }
  void Next() override { cmdnext_Click(); }
  void Previous() override { cmdbk_Click(); }

 private:
  void cutTo(int position);

  Playlist& m_list;
  PlaylistView& m_p;
  audio::DeckActions& m_decks;
};

}  // namespace playlist
