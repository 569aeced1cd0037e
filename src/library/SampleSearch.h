#pragma once

#include <QString>

namespace library {

// A list of file names with a selection, as the pre-listening file list offers it.
class SampleList {
 public:
  virtual ~SampleList() = default;
  virtual int ListCount() const = 0;
  virtual QString List(int index) const = 0;
  virtual int ListIndex() const = 0;  // -1 when nothing is selected
  virtual void setListIndex(int index) = 0;
};

// Selects the first file, from the selected one on, whose name contains `text`
// (case-insensitive); the selection stays when none does.
void cmdbsqs_Click(SampleList& list, const QString& text);

}  // namespace library
