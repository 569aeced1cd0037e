#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "PlaylistModel.h"
#include "PlaylistView.h"
#include "audio/DeckEvents.h"
#include "library/PlaylistSink.h"
#include "platform/os/AudioFiles.h"

class QMenu;

namespace playlist {

// The playlist's handlers: adding and renumbering entries, moving them by drag, removing
// and clearing, the pointer over the list with its marker bars, and files dropped from the
// desktop, playlists of other players among them.
class Playlist : public audio::DeckEvents, public library::PlaylistSink {
 public:
  // `menu` is the list's pop-up menu, shown on a right-button release over a row; files
  // from outside are taken when they are of the `fileTypes` chosen.
  Playlist(PlaylistView& panel, PlaylistModel& model, QMenu& menu,
           const platform::FileTypeChoice& fileTypes);

  static constexpr int kAppend = -1;
  // Adds `name` at `idxpos` (0 or kAppend appends); `name` is left holding the bare file
  // name, as the artist and title were split from it. A name with a line break (which the
  // playlist file cannot hold) or a NUL (which no file has) is left out and counted; once
  // the handler that added it has ended, one message tells how many went.
  bool SendTOlst(QByteArray& name, int idxpos) override;
  // Says now how many names were left out since the last time, if any.
  void reportRefusedNames();
  static bool isStorableName(const QByteArray& name);

  // Files opened from outside (the command line, another launch, the media controls): the
  // files of the chosen types among `paths` that exist are appended in batches, the first at
  // once and one batch per turn of the event loop after it, so that the window answers
  // while a list of a million goes in. `firstIn` is told where the first of them went.
  void appendInTurns(const QList<QByteArray>& paths, std::function<void(int position)> firstIn);
  // Appends one batch of what waits; false when nothing waits any more.
  bool appendBatch();
  // The names still waiting, for a save that cannot wait for them.
  QList<QByteArray> waitingPaths() const;
  // Appends `paths` now, as one change of the list (the playlist file's entries).
  void appendNow(const QList<QByteArray>& paths);
  static constexpr int kBatchEntries = 4096;
  static constexpr int kBatchMs = 10;
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
  const platform::FileTypeChoice& m_fileTypes;
  int m_hoverRow = 0;
  int m_dropRow = 0;
  PlaylistEntry entryFor(const QByteArray& path) const;
  int refuse();

  int m_refusedNames = 0;
  QTimer m_refusedReport;  // zero-time: runs after the handler that refused a name
  struct Opening {
    QList<QByteArray> paths;
    qsizetype next = 0;
    std::function<void(int)> firstIn;
  };
  std::deque<Opening> m_openings;
  QTimer m_appendTurns;  // zero-time: one batch per turn while openings wait
};

}  // namespace playlist
