#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace ui {

// An event-loop timer. Enabling it starts the interval unless it already runs; a new
// interval restarts it. tick() runs the handler
// as a timer event would, for tests that drive time themselves.
class Timer : public QObject {
 public:
  Timer(QObject* parent, int intervalMs, bool enabled);
  bool Enabled() const { return m_enabled; }
  void setEnabled(bool on);
  int Interval() const { return m_interval; }
  void setInterval(int ms);
  std::function<void()> onTimer;
  void tick();

 private:
  QTimer m_timer;
  bool m_enabled = false;
  int m_interval = 0;
};

}  // namespace ui
