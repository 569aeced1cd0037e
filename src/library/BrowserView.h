#pragma once

#include "platform/ui/Build.h"
#include "platform/ui/CommandButton.h"
#include "platform/ui/DirListBox.h"
#include "platform/ui/DriveListBox.h"
#include "platform/ui/FileListBox.h"
#include "platform/ui/TextBox.h"

namespace library {

// The file browser's controls on its tab: the drive, folder and file lists, the folder box
// with its up and open buttons, and the button that sends the chosen files to the playlist.
class BrowserView {
 public:
  BrowserView(QWidget* page, ui::Builder& build);

  ui::PictureBox* cmdback;         // up one folder
  ui::TextBox* txtruta;            // the current folder, or one typed in
  ui::PictureBox* cmdgodo;         // open the typed folder
  ui::PictureBox* cmdVEW;          // the same, from the window's own button
  ui::DriveListBox* Drive1;        // roots and mounted volumes
  ui::DirListBox* Dir1;            // the browser's folder and the way to it
  ui::FileListBox* File1;          // its audio files
  ui::CommandButton* cmdsendlst0;  // "Add a Listas": the chosen files to the playlist
};

}  // namespace library
