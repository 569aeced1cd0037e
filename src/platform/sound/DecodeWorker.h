#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace sound {

class Stream;

// The one background thread that keeps every open stream's ring filled. The UI thread
// adds and removes streams under the lock; once remove() returns, the stream is no longer
// touched by this thread.
class DecodeWorker {
 public:
  ~DecodeWorker();
  void start();
  void stop();
  void add(Stream* stream);
  void remove(Stream* stream);

 private:
  void run();

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::vector<Stream*> m_streams;
  bool m_quit = false;
  std::thread m_thread;
};

}  // namespace sound
