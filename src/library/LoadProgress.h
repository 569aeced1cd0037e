#pragma once

#include <QtGlobal>

namespace library {

// Where the library load shows how far it has got (the splash's bar and status line).
class LoadProgress {
 public:
  virtual ~LoadProgress() = default;
  virtual void loadStarted(qint64 maximum) = 0;
  virtual void loadAdvanced(qint64 value) = 0;
  virtual void loadFinished() = 0;
};

}  // namespace library
