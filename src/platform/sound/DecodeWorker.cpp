#include "DecodeWorker.h"

#include <algorithm>
#include <chrono>

#include "Stream.h"

namespace sound {

DecodeWorker::~DecodeWorker() {
  stop();
}

void DecodeWorker::start() {
  if (m_thread.joinable()) return;
  m_quit = false;
  m_thread = std::thread([this] { run(); });
}

void DecodeWorker::stop() {
  {
    std::lock_guard lock(m_mutex);
    m_quit = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
  m_streams.clear();
}

void DecodeWorker::add(Stream* stream) {
  {
    std::lock_guard lock(m_mutex);
    m_streams.push_back(stream);
  }
  m_wake.notify_all();
}

void DecodeWorker::remove(Stream* stream) {
  std::lock_guard lock(m_mutex);
  m_streams.erase(std::remove(m_streams.begin(), m_streams.end(), stream), m_streams.end());
}

void DecodeWorker::run() {
  std::unique_lock lock(m_mutex);
  while (!m_quit) {
    bool worked = false;
    for (Stream* s : m_streams) worked |= s->produce();
    // The rings are full: the output side frees a block every few milliseconds.
    if (!worked) {
      m_wake.wait_for(lock, std::chrono::milliseconds(3));
    } else {
      // Let the UI thread add or remove a stream between two passes.
      lock.unlock();
      std::this_thread::yield();
      lock.lock();
    }
  }
}

}  // namespace sound
