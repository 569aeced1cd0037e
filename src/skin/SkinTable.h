#pragma once

#include <vector>

namespace skin {

// One row of the skin: which controls (by name; every element of a control array unless an
// index is given) take which bitmap, and whether the control takes the bitmap's size.
struct SkinRow {
  const char* target;
  int index;         // -1: every element
  const char* file;  // "%1" stands for the element's index
  bool autoSize;
  // Rows of a group are loaded element by element: the first element of every row of the
  // group, then the second, and so on (the equaliser's track, thumb and button per band).
  int group = 0;
};

// The bitmaps of a skin, in the order they are loaded. The deck-select toggles, whose
// bitmaps depend on the selected deck, come at the place of the row named "CHKSEL".
const std::vector<SkinRow>& skinTable();

}  // namespace skin
