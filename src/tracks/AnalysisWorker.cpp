#include "tracks/AnalysisWorker.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "tracks/TagReader.h"
#include "tracks/TrackAnalyser.h"

namespace tracks {

namespace {

// The calling thread only: nice 10 gives way to the decks' decoders and the window (a tenth
// of a core against each of them when they want it all), yet still runs now and then on a
// saturated machine, where nice 19 could wait for seconds. Not
// SCHED_IDLE: the worker commits to the database under its mutex, and a thread the scheduler
// may starve for seconds on a busy machine would keep the window waiting on that mutex.
void lowerThisThreadPriority() {
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

}  // namespace

AnalysisWorker::AnalysisWorker(TrackDatabase& db, Hooks hooks)
    : m_db(db), m_hooks(std::move(hooks)) {
  if (!m_hooks.analyse)
    m_hooks.analyse = [](const std::string& path, Analysis& out, const std::atomic<bool>* cancel) {
      return analyseTrack(path, out, cancel);
    };
  if (!m_hooks.readTags) m_hooks.readTags = readTags;
  m_thread = std::thread([this] { run(); });
}

AnalysisWorker::~AnalysisWorker() {
  shutdown();
}

void AnalysisWorker::enqueue(std::vector<std::string> paths, Priority priority) {
  if (priority == Priority::Library) {
    // Packed in one string, so that a million paths are two blocks to keep and to free.
    auto bytes = std::make_shared<std::string>();
    auto ends = std::make_shared<std::vector<std::size_t>>();
    std::size_t size = 0;
    for (const std::string& path : paths) size += path.size();
    bytes->reserve(size);
    ends->reserve(paths.size());
    for (const std::string& path : paths) {
      if (path.empty()) continue;
      *bytes += path;
      ends->push_back(bytes->size());
    }
    const std::size_t count = ends->size();
    paths = {};
    enqueueLibrary(
        [bytes, ends, i = std::size_t(0)](std::string& out) mutable {
          if (i == ends->size()) return false;
          const std::size_t from = i ? (*ends)[i - 1] : 0;
          out.assign(*bytes, from, (*ends)[i++] - from);
          return true;
        },
        count);
    return;
  }
  auto& queue = m_queues[static_cast<int>(priority)];
  {
    std::lock_guard lock(m_mutex);
    if (m_stopping) return;
    for (std::string& path : paths) {
      if (path.empty()) continue;
      if (auto it = m_byPath.find(path); it != m_byPath.end()) {
        if (it->second->priority >= priority) continue;
        it->second->priority = priority;
        queue.push_back(it->second);
        continue;
      }
      auto item = std::make_shared<Item>(Item{std::move(path), priority});
      m_byPath.emplace(item->path, item);
      queue.push_back(std::move(item));
    }
  }
  m_wake.notify_all();
}

void AnalysisWorker::enqueueLibrary(PathSource next, std::size_t count) {
  if (!next || count == 0) return;
  {
    std::lock_guard lock(m_mutex);
    if (m_stopping) return;
    m_libraryLeft += count;
    m_library.push_back({std::move(next), count});
  }
  m_wake.notify_all();
}

void AnalysisWorker::hold(int ms) {
  if (ms <= 0) return;
  std::lock_guard lock(m_mutex);
  m_holdUntil = std::max(m_holdUntil, Clock::now() + std::chrono::milliseconds(ms));
  if (m_busy) m_cancel = true;
}

bool AnalysisWorker::shutdown(std::chrono::milliseconds timeout) {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_cancel = true;
    m_byPath.clear();
    for (auto& queue : m_queues) queue.clear();
    m_library.clear();
    m_libraryLeft = 0;
  }
  m_wake.notify_all();
  m_idle.notify_all();
  if (!m_thread.joinable() || m_thread.get_id() == std::this_thread::get_id()) return true;
  bool ended;
  {
    std::unique_lock lock(m_mutex);
    ended = m_idle.wait_for(lock, timeout, [this] { return m_ended; });
  }
  if (ended)
    m_thread.join();
  else
    m_thread.detach();
  return ended;
}

bool AnalysisWorker::waitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_mutex);
  return m_idle.wait_for(lock, timeout, [this] {
    return m_stopping || (!m_busy && m_byPath.empty() && !m_libraryLeft);
  });
}

std::size_t AnalysisWorker::queued() const {
  std::lock_guard lock(m_mutex);
  return m_byPath.size() + m_libraryLeft;
}

AnalysisWorker::ItemPtr AnalysisWorker::takeNext() {
  for (int c = 2; c >= 0; --c) {
    auto& queue = m_queues[c];
    while (!queue.empty()) {
      ItemPtr item = std::move(queue.front());
      queue.pop_front();
      if (item->taken || static_cast<int>(item->priority) != c) continue;  // moved up
      item->taken = true;
      m_byPath.erase(item->path);
      return item;
    }
  }
  while (!m_library.empty()) {
    Batch& batch = m_library.front();
    std::string path;
    if (batch.left == 0 || !batch.next(path)) {
      m_libraryLeft -= batch.left;
      m_library.pop_front();
      continue;
    }
    --batch.left;
    --m_libraryLeft;
    if (path.empty()) continue;
    auto item = std::make_shared<Item>(Item{std::move(path), Priority::Library});
    item->taken = true;
    return item;
  }
  return nullptr;
}

void AnalysisWorker::run() {
  lowerThisThreadPriority();
  std::unique_lock lock(m_mutex);
  while (!m_stopping) {
    if (Clock::now() < m_holdUntil) {
      m_wake.wait_until(lock, m_holdUntil);
      continue;
    }
    ItemPtr item = takeNext();
    if (!item) {
      m_idle.notify_all();
      m_wake.wait(lock);
      continue;
    }
    m_busy = true;
    m_cancel = false;
    lock.unlock();
    const bool done = measure(*item);
    lock.lock();
    m_busy = false;
    // Cancelled by a hold: first in its class again. Queued anew meanwhile, perhaps in a lower
    // class, the new entry takes the place.
    if (!done && !m_stopping) {
      auto it = m_byPath.find(item->path);
      if (it == m_byPath.end()) {
        item->taken = false;
        m_byPath.emplace(item->path, item);
      } else if (it->second->priority < item->priority) {
        it->second->priority = item->priority;
        item = it->second;
      } else {
        continue;
      }
      m_queues[static_cast<int>(item->priority)].push_front(item);
    }
  }
  m_ended = true;
  lock.unlock();
  m_idle.notify_all();
}

bool AnalysisWorker::measure(const Item& item) {
  const std::string& path = item.path;
  struct stat st {};
  if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0 ||
      !S_ISREG(st.st_mode))
    return true;  // gone or not a file: nothing to remember
  TrackRecord record;
  record.path = path;
  record.size = st.st_size;
  record.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  if (m_db.find(path, record.size, record.mtimeNs)) return true;

  std::int64_t tagDurationMs = 0;
  m_hooks.readTags(path, record.tags, tagDurationMs);
  if (m_cancel) return false;
  const bool measured = m_hooks.analyse(path, record.analysis, &m_cancel);
  if (!measured && m_cancel) return false;  // cancelled is not failed
  if (!measured) record.analysis = Analysis{};
  record.failed = !measured;
  if (record.analysis.durationMs <= 0) record.analysis.durationMs = tagDurationMs;
  record.analysedAt = static_cast<std::int64_t>(std::time(nullptr));
  m_db.put(record);
  if (m_hooks.onResult) m_hooks.onResult(record);
  return true;
}

}  // namespace tracks
