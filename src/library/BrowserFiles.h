#pragma once

#include <QByteArray>
#include <QList>

namespace library {

// The file browser's part in the library's menu and send button: its double-click action
// and the paths of its selected files.
class BrowserFiles {
 public:
  virtual ~BrowserFiles() = default;
  virtual void File1_DblClick() = 0;
  virtual QList<QByteArray> selectedFiles() const = 0;
};

}  // namespace library
