#include "Timer.h"

namespace ui {

Timer::Timer(QObject* parent, int intervalMs, bool enabled) : QObject(parent) {
  m_timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
  setInterval(intervalMs);
  setEnabled(enabled);
}

void Timer::setEnabled(bool on) {
  m_enabled = on;
  // An interval of 0 keeps the timer quiet, as the toolkit's timers do.
  if (on && m_interval > 0)
    m_timer.start(m_interval);
  else
    m_timer.stop();
}

void Timer::setInterval(int ms) {
  m_interval = ms < 0 ? 0 : ms;
  setEnabled(m_enabled);
}

void Timer::tick() {
  if (onTimer) onTimer();
}

}  // namespace ui
