#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class RtMidiIn;

namespace platform {

// One short MIDI message as it came: the status byte and up to two data bytes.
struct MidiMessage {
  std::uint8_t status = 0, data1 = 0, data2 = 0;
};

// A MIDI input port, through RtMidi (the ALSA sequencer, or JACK when its server runs).
//
// Threads: RtMidi calls push() on a thread of its own. push() only copies the message into a
// bounded queue under `m_lock` (held for a copy, never while anything else runs) and, once
// per batch, posts a queued call to the window thread, which raises onMessages; drain() runs
// there and empties the queue. Everything else (open, close, ports) is the window thread's.
// A full queue drops the newest messages and counts them: a flood must not grow memory.
//
// A failure (the device unplugged, the driver's error) closes the port softly on the window
// thread and raises onError; the port can be opened again.
class MidiInput : public QObject {
 public:
  static constexpr std::size_t kCapacity = 8192;

  explicit MidiInput(QObject* parent = nullptr);
  ~MidiInput() override;

  // The input ports of every MIDI system that works here; none, with `error()` saying why,
  // on a machine without one.
  QStringList ports();
  // Opens the port named `name` (closing any other first); false with `error()` set when it
  // cannot be opened.
  bool open(const QString& name);
  void close();
  bool isOpen() const { return m_in != nullptr; }
  const QString& openName() const { return m_openName; }
  const QString& error() const { return m_error; }
  // Whether the open port is still there; closes it softly (and raises onError) if not.
  bool checkPresent();

  // One raw message, from RtMidi's thread (or a test). Messages other than the channel
  // messages of three bytes or two (note, control change, pitch bend, program) are ignored.
  void push(const unsigned char* bytes, std::size_t size);
  // A failure from any thread: the port closes on the window thread, then onError.
  void fail(const QString& why);
  // Moves every queued message to the end of `out`; the window thread's.
  std::size_t drain(std::vector<MidiMessage>& out);
  std::size_t dropped() const { return m_dropped.load(std::memory_order_relaxed); }

  std::function<void()> onMessages;             // the window thread, once per batch
  std::function<void(const QString&)> onError;  // the window thread, after the port closed

 private:
  void wake();

  std::unique_ptr<RtMidiIn> m_in;
  QString m_openName, m_error;
  std::mutex m_lock;  // guards m_queue, m_head and m_count only
  std::vector<MidiMessage> m_queue;
  std::size_t m_head = 0, m_count = 0;
  std::atomic<bool> m_wakePosted{false};
  std::atomic<unsigned> m_generation{
      0};  // counts the ports opened, so a late failure of one is told apart
  std::atomic<std::size_t> m_dropped{0};
};

}  // namespace platform
