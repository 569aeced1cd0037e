#pragma once

#include <QString>

namespace library {

// Where the library file is. The options tab holds it and its path box shows it; every load,
// scan, update and clear reads it when it starts.
struct LibraryFile {
  QString path;
};

}  // namespace library
