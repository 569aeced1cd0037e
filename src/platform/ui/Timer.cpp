#include "Timer.h"

namespace ui {

Timer::Timer(QObject* parent, int intervalMs, bool enabled) : QObject(parent) {
  m_timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
  setInterval(intervalMs);
  setEnabled(enabled);
}

void Timer::setEnabled(bool on) {
  // Enabling a timer that runs leaves its interval running: the next tick comes when it was due.
  if (on && m_enabled && m_timer.isActive()) return;
  m_enabled = on;
  // An interval of 0 keeps the timer quiet, as the toolkit's timers do.
  if (on && m_interval > 0)
    m_timer.start(m_interval);
  else
    m_timer.stop();
}

void Timer::setInterval(int ms) {
  m_interval = ms < 0 ? 0 : ms;
  // A new interval starts counting now.
  m_timer.stop();
  if (m_enabled && m_interval > 0) m_timer.start(m_interval);
}

void Timer::tick() {
  if (onTimer) onTimer();
}

}  // namespace ui
