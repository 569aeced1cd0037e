#include "MidiInput.h"

#include <RtMidi.h>

#include <QRegularExpression>

namespace platform {

namespace {
const char* const kClientName = "Torna Vel";

// ALSA numbers a port by its client, "nanoKONTROL2:nanoKONTROL2 MIDI 1 24:0", and the numbers
// change when the device is plugged in again: the name without them stays the same.
QString lastingName(const std::string& name) {
  static const QRegularExpression numbers(QStringLiteral("\\s+\\d+:\\d+$"));
  return QString::fromStdString(name).remove(numbers).trimmed();
}

void onRtMidiMessage(double, std::vector<unsigned char>* message, void* input) {
  if (message) static_cast<MidiInput*>(input)->push(message->data(), message->size());
}

void onRtMidiError(RtMidiError::Type type, const std::string& text, void* input) {
  if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
  static_cast<MidiInput*>(input)->fail(QString::fromStdString(text));
}

// Every MIDI system RtMidi was built with; a system that cannot start here (no ALSA
// sequencer device, no JACK server) is left out, and why goes to `problems`.
std::vector<std::unique_ptr<RtMidiIn>> openSystems(QStringList& problems) {
  std::vector<RtMidi::Api> apis;
  RtMidi::getCompiledApi(apis);
  std::vector<std::unique_ptr<RtMidiIn>> systems;
  for (RtMidi::Api api : apis) {
    if (api == RtMidi::RTMIDI_DUMMY) continue;
    try {
      systems.push_back(std::make_unique<RtMidiIn>(api, kClientName, MidiInput::kCapacity));
    } catch (const RtMidiError& e) {
      problems.append(QString::fromStdString(e.getMessage()));
    }
  }
  return systems;
}
}  // namespace

MidiInput::MidiInput(QObject* parent) : QObject(parent), m_queue(kCapacity) {}

MidiInput::~MidiInput() {
  close();
}

QStringList MidiInput::ports() {
  QStringList problems, names;
  for (const auto& in : openSystems(problems)) {
    try {
      const unsigned n = in->getPortCount();
      for (unsigned i = 0; i < n; ++i) names.append(lastingName(in->getPortName(i)));
    } catch (const RtMidiError& e) {
      problems.append(QString::fromStdString(e.getMessage()));
    }
  }
  names.removeAll(QString());
  if (names.isEmpty())
    m_error = problems.isEmpty() ? QStringLiteral("No MIDI device is connected")
                                 : QStringLiteral("No MIDI system here: ") + problems.join("; ");
  return names;
}

bool MidiInput::open(const QString& name) {
  close();
  QStringList problems;
  for (auto& in : openSystems(problems)) {
    try {
      const unsigned n = in->getPortCount();
      for (unsigned i = 0; i < n; ++i) {
        if (lastingName(in->getPortName(i)) != name) continue;
        in->setErrorCallback(&onRtMidiError, this);
        in->setCallback(&onRtMidiMessage, this);
        in->ignoreTypes(true, true, true);  // no SysEx, timing or active sensing
        in->openPort(i, kClientName);
        m_in = std::move(in);
        m_openName = name;
        m_generation.fetch_add(1, std::memory_order_relaxed);
        m_error.clear();
        return true;
      }
    } catch (const RtMidiError& e) {
      problems.append(QString::fromStdString(e.getMessage()));
    }
  }
  m_error = QStringLiteral("The MIDI device \"%1\" is not connected").arg(name);
  if (!problems.isEmpty()) m_error += QStringLiteral(" (%1)").arg(problems.join("; "));
  return false;
}

void MidiInput::close() {
  if (!m_in) return;
  // Closing the port ends RtMidi's input thread, so no push() runs after this.
  try {
    m_in->closePort();
    m_in->cancelCallback();
  } catch (const RtMidiError&) {
  }
  m_in.reset();
  m_openName.clear();
}

bool MidiInput::checkPresent() {
  if (!m_in) return false;
  try {
    const unsigned n = m_in->getPortCount();
    for (unsigned i = 0; i < n; ++i)
      if (lastingName(m_in->getPortName(i)) == m_openName) return true;
  } catch (const RtMidiError&) {
  }
  fail(QStringLiteral("The MIDI device \"%1\" was disconnected").arg(m_openName));
  return false;
}

void MidiInput::push(const unsigned char* bytes, std::size_t size) {
  if (!bytes || size < 2 || bytes[0] < 0x80 || bytes[0] >= 0xF0) return;
  const MidiMessage m{bytes[0], bytes[1], size > 2 ? bytes[2] : std::uint8_t(0)};
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_count == m_queue.size()) {
      m_dropped.fetch_add(1, std::memory_order_relaxed);
      return;
    }
    m_queue[(m_head + m_count) % m_queue.size()] = m;
    ++m_count;
  }
  wake();
}

void MidiInput::wake() {
  // One posted call per batch: the window thread clears the flag before it drains, so a
  // message that comes during the drain posts the next call.
  if (m_wakePosted.exchange(true, std::memory_order_acq_rel)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_wakePosted.store(false, std::memory_order_release);
        if (onMessages) onMessages();
      },
      Qt::QueuedConnection);
}

std::size_t MidiInput::drain(std::vector<MidiMessage>& out) {
  std::lock_guard<std::mutex> hold(m_lock);
  const std::size_t n = m_count;
  out.reserve(out.size() + n);
  for (std::size_t i = 0; i < n; ++i) out.push_back(m_queue[(m_head + i) % m_queue.size()]);
  m_head = (m_head + n) % m_queue.size();
  m_count = 0;
  return n;
}

void MidiInput::fail(const QString& why) {
  QMetaObject::invokeMethod(
      this,
      [this, why, generation = m_generation.load(std::memory_order_relaxed)] {
        // A failure of a port that was closed and another opened since is old news.
        if (generation != m_generation.load(std::memory_order_relaxed)) return;
        close();
        m_error = why;
        if (onError) onError(why);
      },
      Qt::QueuedConnection);
}

}  // namespace platform
