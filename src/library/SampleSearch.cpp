#include "SampleSearch.h"

namespace library {

void cmdbsqs_Click(SampleList& list, const QString& text) {
  const int last = list.ListCount() - 1;
  // With nothing selected the search starts at the first file.
  for (int i = std::max(list.ListIndex(), 0); i <= last; ++i) {
    if (list.List(i).contains(text, Qt::CaseInsensitive)) {
      list.setListIndex(i);
      return;
    }
  }
}

}  // namespace library
