#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace platform {

// Turns SIGINT and SIGTERM into a call on the UI thread, so a terminal's Ctrl+C or a
// session logout runs the normal shut-down.
class SignalBridge : public QObject {
 public:
  explicit SignalBridge(std::function<void()> onSignal, QObject* parent = nullptr);
  ~SignalBridge() override;

 private:
  std::function<void()> m_onSignal;
  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace platform
