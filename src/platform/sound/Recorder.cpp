#include "Recorder.h"

#include <chrono>

namespace sound {

Recorder::Recorder(RecordTap& tap, std::unique_ptr<RecordSink> sink, std::string path)
    : m_tap(tap), m_sink(std::move(sink)), m_path(std::move(path)) {
  m_tap.arm();
  m_thread = std::thread([this] { run(); });
}

void Recorder::failed(const std::string& why) {
  m_tap.disarm(false);  // the UI thread waits out the callback at stop()
  std::lock_guard lock(m_errorLock);
  m_error = why.empty() ? "the recording could not be written" : why;
}

void Recorder::run() {
  using Clock = std::chrono::steady_clock;
  constexpr std::size_t kChunk = 4096;
  std::vector<float> buffer(kChunk * 2);
  auto flushed = Clock::now();
  bool ok = true;
  for (;;) {
    // Read the flag before draining: after stop() raises it, nothing more enters the tap.
    const bool last = m_stop.load(std::memory_order_acquire);
    std::size_t n;
    while (ok && (n = m_tap.read(buffer.data(), kChunk)) > 0) {
      ok = m_sink->write(buffer.data(), n);
      m_written.store(m_sink->frames(), std::memory_order_relaxed);
    }
    if (ok && Clock::now() - flushed >= std::chrono::milliseconds(kFlushMs)) {
      ok = m_sink->flush();
      flushed = Clock::now();
    }
    if (!ok || last) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // After a failure this keeps what reached the file, as far as it can.
  const bool finished = m_sink->finish();
  if (!ok || !finished) failed(m_sink->error());
  m_written.store(m_sink->frames(), std::memory_order_relaxed);
}

void Recorder::stop() {
  if (m_stopped) return;
  m_stopped = true;
  m_tap.disarm();
  m_captured = m_tap.captured();
  m_dropped = m_tap.dropped();
  m_stop.store(true, std::memory_order_release);
  m_thread.join();
}

RecordingState Recorder::state() const {
  RecordingState s;
  s.active = !m_stopped && m_tap.armed();
  s.framesCaptured = m_stopped ? m_captured : m_tap.captured();
  s.droppedBlocks = m_stopped ? m_dropped : m_tap.dropped();
  s.framesWritten = m_written.load(std::memory_order_relaxed);
  s.path = m_path;
  std::lock_guard lock(m_errorLock);
  s.error = m_error;
  return s;
}

}  // namespace sound
