#pragma once

#include <array>

#include "LibraryFile.h"
#include "PathListModel.h"
#include "platform/ui/Build.h"
#include "platform/ui/CommandButton.h"
#include "platform/ui/Frame.h"
#include "platform/ui/ListView.h"
#include "platform/ui/TextBox.h"

namespace library {

// The library panel's controls: the search box, the library and result lists, the status
// labels and the scan buttons, and the options frame for adding, rescanning and clearing.
// `file` is where the library file is (the options tab sets it).
class LibraryView {
 public:
  LibraryView(QWidget* page, PathListModel& library, PathListModel& results,
              const LibraryFile& file, ui::Builder& build);

  QString libraryFile() const { return m_file.path; }

  ui::PictureBox* BaseImg;  // shows which list is on view
  ui::TextBox* txtbusq;     // search text
  ui::CommandButton* cmdbusq;
  ui::Label* lblCntLST;              // library entries
  ui::ListView* lstdata;             // the library
  ui::ListView* lstresul;            // search results, in the library's place while on view
  ui::Label* LblFolder;              // folder being scanned, search state
  ui::Label* lbleti;                 // scan counter and last file found
  ui::PictureBox* SELPIC0;           // the hover bar under the library row the pointer is over
  ui::CommandButton* cmdsendlst1;    // "Añadir a la Lista": the selected rows to the playlist
  ui::CommandButton* cmdaddbase;     // "Opciones"
  ui::CommandButton* cmdCancelScan;  // "Cancelar"
  ui::Frame* frmbusq;                // the options frame
  ui::Label* OPTETQ;
  ui::TextBox* txtbsq;                         // shows the folder being added
  std::array<ui::CommandButton*, 2> cmdbuq{};  // add a folder, rescan
  ui::Label* OPTETQ2;
  ui::CommandButton* cmdkl;     // "Borrar"
  ui::CommandButton* cmdbusqc;  // closes the frame

 private:
  const LibraryFile& m_file;
};

}  // namespace library
