#pragma once

#include <QByteArray>
#include <QList>
#include <memory>

#include "BrowserFiles.h"
#include "LibraryView.h"
#include "PathListModel.h"
#include "PlaylistSink.h"
#include "audio/DeckActions.h"
#include "platform/ui/PanelMarker.h"

class QMenu;
class QAction;

namespace library {

// Working with the library and result lists: playing a row on the selected deck, the hover
// bar, dragging rows to the playlist or a deck, sending the selected rows to the playlist,
// and the lists' pop-up menu (which also serves the file browser).
class LibraryLists {
 public:
  LibraryLists(LibraryView& view, PathListModel& library, PathListModel& results,
               audio::DeckActions& decks, PlaylistSink& playlist, const ui::PanelMarker& panel);
  ~LibraryLists();

  void lstdata_DblClick();
  void lstresul_DblClick();
  void lstdata_MouseDown(int Button, int Shift, float X, float Y);
  void lstresul_MouseDown(int Button, int Shift, float X, float Y);
  void lstdata_MouseMove(int Button, int Shift, float X, float Y);
  void lstresul_MouseMove(int Button, int Shift, float X, float Y);
  void lstdata_MouseUp(int Button, int Shift, float X, float Y);
  void lstresul_MouseUp(int Button, int Shift, float X, float Y);
  void cmdsendlst_Click(int Index);
  void plxy_Click();
  void sendlstx_Click();

  // A row dragged from one of the lists: the paths of the source list's selected rows (the
  // pressed row when none is selected); empty for any other control.
  QList<QByteArray> draggedPaths(const ui::Control* source) const;
  // The dragged row loaded into `deck` and started there; anything else is ignored.
  void dropOnDeck(const ui::Control* source, int deck);
  // A drop has used the drag.
  void dragDone() { DragSourceIndex = 0; }
  // The selected row of the list on view loaded into `deck`, as its load button would (it
  // does not start); nothing without a selected row.
  void loadSelected(int deck);

  // The 1-based row pressed last in a list (0: none).
  int DragSourceIndex = 0;
  // Which list a button was released over last: true for the results.
  bool resultsMarked() const { return m_resultsMarked; }
  QMenu* expfic() const { return m_menu.get(); }
  QAction* plxy = nullptr;
  QAction* sendlstx = nullptr;
  BrowserFiles* browser = nullptr;  // the file browser, once it is there

 private:
  void play(ui::ListView& list, const PathListModel& model);
  void press(ui::ListView& list, float Y);
  void popup(float X, float Y);
  const PathListModel* modelOf(const ui::Control* list) const;

  LibraryView& m_v;
  PathListModel& m_library;
  PathListModel& m_results;
  audio::DeckActions& m_decks;
  PlaylistSink& m_playlist;
  const ui::PanelMarker& m_panel;
  std::unique_ptr<QMenu> m_menu;
  bool m_resultsMarked = false;
};

}  // namespace library
