#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <memory>

#include "PlaylistModel.h"
#include "PlaylistView.h"
#include "audio/DeckEvents.h"
#include "library/PlaylistSink.h"

class QMenu;

namespace playlist {

// The playlist's handlers: adding and renumbering entries, moving them by drag, removing
// and clearing, the pointer over the list with its marker bars, and files dropped from the
// desktop, playlists of other players among them.
class Playlist : public audio::DeckEvents, public library::PlaylistSink {
 public:
  // `menu` is the list's pop-up menu, shown on a right-button release over a row.
  Playlist(PlaylistView& panel, PlaylistModel& model, QMenu& menu);

  static constexpr int kAppend = -1;
  // Adds `name` at `idxpos` (0 or kAppend appends); `name` is left holding the bare file
  // name, as the artist and title were split from it.
  void SendTOlst(QByteArray& name, int idxpos) override;
  void Veridx(int emp);  // renumbers from position emp (0 means 1)
  int GetIndexFrom(const ui::ListView& list, float Y) const;
  void LSTMP3_MouseDown(int Button, int Shift, float X, float Y);
  void LSTMP3_MouseMove(int Button, int Shift, float X, float Y);
  void LSTMP3_MouseUp(int Button, int Shift, float X, float Y);
  // Audio files go in at the pointer; an M3U, M3U8 or PLS playlist puts its entries there, in
  // its own order.
  void LSTMP3_FilesDropped(const QList<QByteArray>& paths, float X, float Y);
  // Inserts the entries of the playlist file `path` whose files exist before `position`;
  // returns how many. A list that cannot be read is reported through showError.
  int insertForeignList(const QByteArray& path, int position);
  void LSTMP3_FilesDragOver(float X, float Y);
  // Rows dragged from the library dropped at height Y: they go after the row under the
  // pointer, in their own order.
  void LSTMP3_RowsDropped(const QList<QByteArray>& paths, float Y);
  void cmdquitarlst_Click();
  void cmdCls_Click();

  int count() const { return m_model.count(); }
  QByteArray path(int position) const { return m_model.path(position); }
  int current() const { return m_model.current(); }
  void setCurrent(int position);
  // Shows the current-entry markers at entry `position`.
  void placeCurrentMarkers(int position);
  // The hidden current-entry label follows the model.
  void showCurrent();

  // A deck taking a track hides the current-entry bar.
  void trackOpening(int deck) override;

  bool PlaylistDragActive = false;
  int DragSourceIndex = 0;
  // The visible row (from 0) the pointer was over last, and the row a drop landed on.
  int hoverRow() const { return m_hoverRow; }
  QMenu* menu() const { return &m_menu; }
  // Tells the user what went wrong (a dropped playlist that cannot be read).
  std::function<void(const QString&)> showError;

 private:
  static int hoverTerm(float Y);
  static int pressTerm(float Y);
  int firstVisibleNumber() const;
  void showHover(int h);
  void moveEntry(float Y);

  PlaylistView& m_p;
  PlaylistModel& m_model;
  QMenu& m_menu;
  int m_hoverRow = 0;
  int m_dropRow = 0;
};

}  // namespace playlist
