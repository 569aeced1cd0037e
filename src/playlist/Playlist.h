#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "PlaylistControls.h"

class QMenu;

namespace playlist {

// The playlist: adding, numbering, moving by drag, removing and clearing entries, the
// pointer handling over the list and the marker bars. Columns: number, artist, title, path.
class Playlist {
 public:
  static constexpr float kRow = 210.0f;  // twips per row
  enum Column { Number = 0, Artist = 1, Title = 2, Path = 3 };

  explicit Playlist(PlaylistControls& controls);
  ~Playlist();

  static constexpr int kAppend = -1;
  void SendTOlst(QString& name, int idxpos);  // idxpos 0 or kAppend appends
  void Veridx(int emp);                       // renumbers from position emp (0 means 1)
  int GetIndexFrom(const ui::ListView& list, float Y) const;
  void LSTMP3_MouseDown(int Button, int Shift, float X, float Y);
  void LSTMP3_MouseMove(int Button, int Shift, float X, float Y);
  void LSTMP3_MouseUp(int Button, int Shift, float X, float Y);
  void LSTMP3_FilesDropped(const QStringList& paths, float X, float Y);
  void LSTMP3_FilesDragOver(float X, float Y);
  void cmdquitarlst_Click();
  void cmdCls_Click();

  int count() const { return m_c.LSTMP3->Count(); }
  QString path(int position) const;  // 1-based
  int current() const;               // the value of IdxLST
  void setCurrent(int position);
  // Shows the current-entry markers at entry `position`.
  void placeCurrentMarkers(int position);

  bool PlaylistDragActive = false;
  int DragSourceIndex = 0;
  QMenu* menu() const { return m_menu.get(); }

 private:
  static int hoverTerm(float Y);
  static int pressTerm(float Y);
  int firstVisibleNumber() const;
  void showHover(int h);
  void moveEntry(float Y);

  PlaylistControls& m_c;
  std::unique_ptr<QMenu> m_menu;
};

}  // namespace playlist
