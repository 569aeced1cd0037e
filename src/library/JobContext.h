#pragma once

#include <functional>

namespace library {

// What a running library job sees of the world: whether to stop, whether the program is
// ending, and a way to send work to the window thread (run there in the order sent).
class JobContext {
 public:
  virtual ~JobContext() = default;
  virtual bool cancelled() const = 0;
  virtual bool closing() const = 0;
  virtual void toWindow(std::function<void()> f) const = 0;
};

}  // namespace library
