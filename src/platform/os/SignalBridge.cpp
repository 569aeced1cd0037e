#include "SignalBridge.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace platform {

namespace {
int g_fds[2] = {-1, -1};

void handler(int) {
  const char c = 1;
  [[maybe_unused]] const auto n = ::write(g_fds[0], &c, 1);
}
}  // namespace

SignalBridge::SignalBridge(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
  if (g_fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0) return;
  m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] {
    char c;
    [[maybe_unused]] const auto n = ::read(g_fds[1], &c, 1);
    if (m_onSignal) m_onSignal();
  });
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

SignalBridge::~SignalBridge() {
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
}

}  // namespace platform
