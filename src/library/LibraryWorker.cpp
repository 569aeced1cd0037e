#include "LibraryWorker.h"

#include <pthread.h>
#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace library {

namespace {
// Lives on the window thread; a wake-up queued to it runs the functions the jobs sent.
class Outbox : public QObject {
 public:
  explicit Outbox(std::function<void()> drain) : m_drain(std::move(drain)) {}
  void wake() { m_drain(); }

 private:
  std::function<void()> m_drain;
};
}  // namespace

// Everything the thread and the window share, behind one mutex: the waiting jobs and the
// functions sent to the window. It outlives the worker object when a job does not stop in
// time, since the thread keeps its own reference.
struct LibraryWorker::State {
  struct Waiting {
    Kind kind;
    Job job;
    std::shared_ptr<std::atomic<bool>> cancel;
  };
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::deque<Waiting> queue;
  std::deque<std::function<void()>> sent;  // to run on the window thread
  Kind runningKind = Load;
  std::shared_ptr<std::atomic<bool>> running;  // the running job's cancel flag
  bool stopping = false;
  bool ended = false;  // the thread left run(); set under the mutex, so a join after it is seen
  std::atomic<bool> closing{false};
  std::unique_ptr<Outbox> outbox;  // null once the window no longer takes results

  class Context : public JobContext {
   public:
    Context(State& state, std::shared_ptr<std::atomic<bool>> cancel)
        : m_state(state), m_cancel(std::move(cancel)) {}
    bool cancelled() const override {
      return m_cancel->load(std::memory_order_relaxed) || closing();
    }
    bool closing() const override { return m_state.closing.load(std::memory_order_relaxed); }
    void toWindow(std::function<void()> f) const override { m_state.send(std::move(f)); }

   private:
    State& m_state;
    std::shared_ptr<std::atomic<bool>> m_cancel;
  };

  void send(std::function<void()> f) {
    std::lock_guard lock(mutex);
    if (!outbox) return;
    sent.push_back(std::move(f));
    // One wake-up for a run of sends: the window takes them all at once.
    if (sent.size() == 1)
      QMetaObject::invokeMethod(outbox.get(), &Outbox::wake, Qt::QueuedConnection);
  }

  // Window thread: runs what was sent, in order. Each function runs without the lock, so it
  // may post or cancel jobs.
  void runSent() {
    for (;;) {
      std::function<void()> f;
      {
        std::lock_guard lock(mutex);
        if (sent.empty() || !outbox) return;
        f = std::move(sent.front());
        sent.pop_front();
      }
      f();
    }
  }

  void run() {
    for (;;) {
      Waiting next;
      {
        std::unique_lock lock(mutex);
        running.reset();
        changed.notify_all();
        changed.wait(lock, [&] { return stopping || !queue.empty(); });
        if (stopping) {
          ended = true;
          changed.notify_all();
          return;
        }
        next = std::move(queue.front());
        queue.pop_front();
        running = next.cancel;
        runningKind = next.kind;
      }
      Context ctx(*this, next.cancel);
      next.job(ctx);
    }
  }
};

LibraryWorker::LibraryWorker() : m_state(std::make_shared<State>()) {
  State* state = m_state.get();
  m_state->outbox = std::make_unique<Outbox>([state] { state->runSent(); });
  std::shared_ptr<State> keep = m_state;
  m_thread = std::make_unique<std::thread>([keep] {
    pthread_setname_np(pthread_self(), "library");
    keep->run();
  });
}

LibraryWorker::~LibraryWorker() {
  shutdown(1000);
}

void LibraryWorker::post(Kind kind, Job job) {
  std::lock_guard lock(m_state->mutex);
  if (m_state->stopping) return;
  m_state->queue.push_back({kind, std::move(job), std::make_shared<std::atomic<bool>>(false)});
  m_state->changed.notify_all();
}

void LibraryWorker::cancel(int kinds) {
  std::lock_guard lock(m_state->mutex);
  std::erase_if(m_state->queue, [&](const State::Waiting& w) { return w.kind & kinds; });
  if (m_state->running && (m_state->runningKind & kinds)) m_state->running->store(true);
  m_state->changed.notify_all();
}

bool LibraryWorker::shutdown(int timeoutMs) {
  if (!m_thread) return true;
  std::unique_ptr<Outbox> outbox;
  {
    std::lock_guard lock(m_state->mutex);
    m_state->closing = true;
    m_state->stopping = true;
    m_state->queue.clear();
    m_state->sent.clear();
    outbox = std::move(m_state->outbox);
    m_state->changed.notify_all();
  }
  // A wake-up already queued to the window goes with its receiver.
  outbox.reset();
  bool ended;
  {
    std::unique_lock lock(m_state->mutex);
    ended = m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [&] { return m_state->ended; });
  }
  if (ended) {
    m_thread->join();
  } else {
    std::fprintf(stderr, "tornavel: a library job did not stop in time; leaving it behind\n");
    m_thread->detach();
  }
  m_thread.reset();
  return ended;
}

bool LibraryWorker::waitIdle(int timeoutMs) const {
  std::unique_lock lock(m_state->mutex);
  return m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return m_state->stopping || (m_state->queue.empty() && !m_state->running);
  });
}

bool LibraryWorker::drain(int timeoutMs) {
  if (!waitIdle(timeoutMs)) return false;
  m_state->runSent();
  return true;
}

bool LibraryWorker::follow(int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    m_state->runSent();
    if (waitIdle(1)) break;
    if (std::chrono::steady_clock::now() > end) return false;
  }
  m_state->runSent();
  return true;
}

bool LibraryWorker::busy(int kinds) const {
  std::lock_guard lock(m_state->mutex);
  if (m_state->running && (m_state->runningKind & kinds)) return true;
  for (const auto& w : m_state->queue)
    if (w.kind & kinds) return true;
  return false;
}

}  // namespace library
