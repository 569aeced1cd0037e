#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "ForeignEntry.h"
#include "PlaylistModel.h"
#include "audio/DeckActions.h"

class QWidget;

namespace playlist {

// The playlist written for other players: an extended M3U8 giving each entry's length when
// it is known (from the list it was imported from, or from the deck that holds it) and its
// title as "Artist - Title".
class PlaylistExport {
 public:
  PlaylistExport(const PlaylistModel& model, const audio::DeckActions& decks,
                 QWidget* dialogParent);

  // Asks for a file name, then writes the list there in one piece; a failure is shown and
  // leaves any old file whole. A read-only file is replaced only when the user agrees; a
  // file with several hard links gets the new list in place, so that each of its names
  // shows it.
  void ExportM3U();
  QList<ForeignEntry> entries() const;

  // Asks the user where to save; an empty answer cancels. Tests replace it.
  std::function<QString()> chooseFile;
  std::function<void(const QString&)> showError;
  // Asks a yes-or-no question and tells `answer` when the user has answered (the box does
  // not hold up the window); without it nothing read-only is replaced.
  std::function<void(const QString& question, std::function<void(bool yes)> answer)> ask;

 private:
  const PlaylistModel& m_model;
  const audio::DeckActions& m_decks;
};

}  // namespace playlist
