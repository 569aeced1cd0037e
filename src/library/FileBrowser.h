#pragma once

#include <QPoint>
#include <functional>

#include "BrowserFiles.h"
#include "BrowserView.h"
#include "FolderLister.h"
#include "FolderMessage.h"
#include "audio/DeckActions.h"

namespace library {

// The file browser: a drive, its folders and the audio files of one folder, following one
// another; a typed folder, the up button, playing a file on the selected deck and the
// pop-up menu. Folders are read by the lister; the lists and the folder box change when a
// folder has been read, and a folder that cannot be read leaves them as they were.
class FileBrowser : public BrowserFiles {
 public:
  FileBrowser(BrowserView& view, FolderLister& lister, audio::DeckActions& decks);

  // Shows the folder the program runs in (the lists fill once it has been read).
  void start();
  // Reads the folder shown again, quietly: a folder gone meanwhile leaves the lists as they
  // are.
  void reread();

  void Drive1_Change();
  void Dir1_Click();
  void Dir1_DblClick();
  void File1_DblClick() override;
  void File1_MouseUp(int Button, int Shift, float X, float Y);
  // Opens the folder typed in the box; the button is usable again once that is done, and
  // `done` runs then.
  void cmdgodo_Click(std::function<void()> done = {});
  void cmdback_Click();
  void cmdVEW_Click();
  QList<QByteArray> selectedFiles() const override;

  std::function<void(const QString&, MessageIcon)> MsgBox;
  // Shows the lists' pop-up menu at a point of the screen.
  std::function<void(const QPoint& global)> PopupMenu;

 private:
  // What asked for a folder: what a failure then tells and puts back.
  enum class Why { Start, Drive, Folder };
  // Reads `folder` and shows it; `done` runs once that has succeeded or failed.
  void open(const QByteArray& folder, Why why, std::function<void()> done = {});
  void listed(unsigned generation, Why why, const FolderListing& found);
  // The folder the box names, as the file system names it.
  QByteArray typedFolder() const;
  void tell(const FolderListing& failed, MessageIcon icon);

  BrowserView& m_v;
  FolderLister& m_lister;
  audio::DeckActions& m_decks;
  unsigned m_generation = 0;
};

}  // namespace library
