#pragma once

#include <QPixmap>
#include <functional>

#include "LibraryControls.h"
#include "PathListModel.h"

namespace library {

// The library list and its file, and the search of the library into the result list.
class Library {
 public:
  Library(LibraryControls& controls, PathListModel& library, PathListModel& results);

  bool LoadBaseDa();
  int BuscarinBase2(QString& Clave);
  void cmdbusq_Click();
  void txtbusq_KeyPress(int KeyAscii);
  void txtbusq_KeyUp();
  void txtbusq_MouseMove();
  // Stops a load or a search that is running (the program is ending).
  void stop() {
    ++m_loadGeneration;
    ++m_searchGeneration;
  }

  // Lets pending events run (the window stays responsive during long work); tests count it.
  std::function<void()> pumpEvents;
  // A skin bitmap by name ("\Base0.bmp"); null when there is none.
  std::function<QPixmap(const QString&)> skinPicture;
  // A search lets events run at every hundredth entry once this long has passed.
  qint64 searchPumpMs = 20;

 private:
  void showBase(const char* file);

  LibraryControls& m_c;
  PathListModel& m_library;
  PathListModel& m_results;
  unsigned m_loadGeneration = 0;
  unsigned m_searchGeneration = 0;
};

}  // namespace library
