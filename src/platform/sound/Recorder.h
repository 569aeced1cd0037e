#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "RecordSink.h"
#include "RecordTap.h"

namespace sound {

// What a recording has done so far.
struct RecordingState {
  bool active = false;               // taking the master mix now
  std::uint64_t framesCaptured = 0;  // the recording's clock: frames taken from the mix
  std::uint64_t framesWritten = 0;   // frames that reached the file's encoder
  std::uint64_t droppedBlocks = 0;   // blocks the writer had no room for
  std::string path;
  std::string error;  // why the recording stopped on its own; empty if it did not
};

// One recording: its writer thread drains the tap into the sink, makes the file whole at
// least once a second, and on an error stops the tap and keeps the file as it is. The UI
// thread makes, reads and stops it; stop() finalises the file.
class Recorder {
 public:
  static constexpr int kFlushMs = 500;

  Recorder(RecordTap& tap, std::unique_ptr<RecordSink> sink, std::string path);
  ~Recorder() { stop(); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  void stop();
  RecordingState state() const;

 private:
  void run();
  void failed(const std::string& why);

  RecordTap& m_tap;
  std::unique_ptr<RecordSink> m_sink;
  std::string m_path;
  std::atomic<bool> m_stop{false};
  std::atomic<std::uint64_t> m_written{0};
  std::uint64_t m_captured = 0, m_dropped = 0;  // as the tap counted them at stop()
  bool m_stopped = false;
  mutable std::mutex m_errorLock;  // never taken by the output callback
  std::string m_error;
  std::thread m_thread;
};

}  // namespace sound
