#include "TrackAnalysis.h"

#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "platform/os/NativePath.h"

namespace app {

namespace {
// Long enough for a deck to open its file and fill its first buffers without the analysis
// reading the disk beside it.
constexpr int kHoldWhileOpeningMs = 1500;
// How long the end of the program waits for the analysis to stop.
constexpr int kStopMs = 500;

// The measures of a row; the tags go in as they are.
library::TrackFacts measuresOf(const tracks::TrackRecord& r) {
  library::TrackFacts f;
  f.durationMs = r.analysis.durationMs > 0 ? int(r.analysis.durationMs) : -1;
  f.bpm = r.failed ? 0 : r.analysis.bpm;
  if (f.bpm > 0) f.firstBeatMs = int(r.analysis.beatOffsetMs);
  f.loudnessLufs = r.failed ? NAN : r.analysis.loudnessLufs;
  f.peakDbfs = r.failed ? NAN : r.analysis.peakDbfs;
  if (!r.failed && r.analysis.audibleEndMs > r.analysis.audibleStartMs) {
    f.audibleStartMs = int(r.analysis.audibleStartMs);
    f.audibleEndMs = int(r.analysis.audibleEndMs);
  }
  return f;
}
}  // namespace

TrackAnalysis::TrackAnalysis(std::string databaseFile, bool measure,
                             library::TrackFactsTable& facts, audio::DeckEngine& decks)
    : m_file(std::move(databaseFile)), m_measure(measure), m_facts(facts), m_decks(decks) {
  QDir().mkpath(QFileInfo(QString::fromStdString(m_file)).path());
  m_loader = std::thread([this] {
    std::string problem = m_db->open(m_file);
    // The rows become what the lists show and what the search looks in here, off the
    // window thread.
    Facts facts;
    if (problem.empty()) facts = readFacts(*m_db);
    QMetaObject::invokeMethod(
        &m_window,
        [this, problem = std::move(problem), facts = std::move(facts)]() mutable {
          opened(std::move(problem), std::move(facts));
        },
        Qt::QueuedConnection);
  });
}

TrackAnalysis::Facts TrackAnalysis::readFacts(tracks::TrackDatabase& db) {
  Facts facts;
  const std::size_t rows = db.rowBound();
  // Some 40 bytes of tags a row; the text grows past that if it must.
  facts.all.reserve(rows, rows * 40);
  facts.texts.reserve(rows);
  db.forEachRow([&facts](const tracks::TrackRecord& r) {
    std::string text = library::TagIndex::searchText(r.tags.artist, r.tags.title, r.tags.album);
    if (!text.empty()) facts.texts.emplace_back(library::TagIndex::keyOf(r.path), std::move(text));
    facts.all.put(r.path, r.tags.artist, r.tags.title, r.tags.album, measuresOf(r));
  });
  return facts;
}

TrackAnalysis::~TrackAnalysis() {
  shutdown();
}

void TrackAnalysis::shutdown() {
  m_closed = true;
  if (m_loader.joinable()) m_loader.join();
  {
    // No result goes to the window from now on.
    std::lock_guard lock(m_gate->mutex);
    m_gate->open = false;
  }
  if (m_worker && !m_worker->shutdown(std::chrono::milliseconds(kStopMs))) {
    // At its low priority on a busy machine the thread may not run for a while; it is left
    // to end with the process, with what it uses.
    std::fprintf(stderr,
                 "tornavel: the track analysis is still stopping; it ends with the program\n");
    (void)m_worker.release();
    (void)m_db.release();
    m_db = std::make_unique<tracks::TrackDatabase>();
  }
  m_worker.reset();
  m_waiting.clear();
  m_waitingLibrary.clear();
  m_ready = false;
  if (m_db) m_db->close();
}

void TrackAnalysis::opened(std::string problem, Facts facts) {
  if (m_loader.joinable()) m_loader.join();
  if (m_closed) return;
  m_problem = std::move(problem);
  if (!m_problem.empty()) {
    std::fprintf(stderr, "tornavel: the track database is not in use: %s\n", m_problem.c_str());
    return;
  }
  m_facts.setAll(std::move(facts.all), std::move(facts.texts));
  m_ready = true;
  if (onStored)
    for (int deck : {audio::DeckA, audio::DeckB}) {
      const QByteArray path = m_decks.TrackOf(deck).path;
      if (!path.isEmpty()) onStored(path.toStdString());
    }
  if (!m_measure) return;
  tracks::AnalysisWorker::Hooks hooks;
  hooks.onResult = [this, gate = m_gate](const tracks::TrackRecord& r) {
    std::lock_guard lock(gate->mutex);
    if (gate->open)
      QMetaObject::invokeMethod(
          &m_window, [this, r] { stored(r); }, Qt::QueuedConnection);
  };
  m_worker = std::make_unique<tracks::AnalysisWorker>(*m_db, std::move(hooks));
  for (auto& [paths, priority] : m_waiting) m_worker->enqueue(std::move(paths), priority);
  m_waiting.clear();
  for (auto& [next, count] : m_waitingLibrary) m_worker->enqueueLibrary(std::move(next), count);
  m_waitingLibrary.clear();
}

void TrackAnalysis::stored(const tracks::TrackRecord& record) {
  library::TrackFacts f = measuresOf(record);
  f.artist = QString::fromStdString(record.tags.artist);
  f.title = QString::fromStdString(record.tags.title);
  f.album = QString::fromStdString(record.tags.album);
  m_facts.set(record.path, std::move(f));
  if (onStored) onStored(record.path);
}

std::vector<std::uint8_t> TrackAnalysis::waveform(const std::string& path) {
  struct stat st {};
  if (!m_ready || path.empty() || path.find('\0') != std::string::npos ||
      ::stat(path.c_str(), &st) != 0)
    return {};
  const std::int64_t mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  std::optional<tracks::TrackRecord> row = m_db->find(path, st.st_size, mtimeNs);
  if (!row || row->failed) return {};
  return std::move(row->analysis.waveform);
}

void TrackAnalysis::queue(std::vector<std::string> paths, tracks::Priority priority) {
  if (!m_measure || paths.empty()) return;
  if (m_worker)
    m_worker->enqueue(std::move(paths), priority);
  else if (!m_ready && m_problem.empty())
    m_waiting.emplace_back(std::move(paths), priority);
}

void TrackAnalysis::queueLibrary(const library::PathStore& store, std::size_t from,
                                 std::size_t to) {
  to = std::min(to, store.size());
  if (!m_measure || from >= to) return;
  // The blocks that hold the entries; they never change once made, so the worker may read
  // them while the window goes on with its own copies of the pointers.
  const std::vector<library::ChunkPtr>& chunks = store.chunks();
  std::size_t first = 0;
  while (first + 1 < chunks.size() && store.firstOf(first + 1) <= from) ++first;
  std::vector<library::ChunkPtr> held;
  for (std::size_t j = first; j < chunks.size() && store.firstOf(j) < to; ++j)
    held.push_back(chunks[j]);
  if (held.empty()) return;
  auto next = [held = std::move(held), k = std::size_t(0), i = from - store.firstOf(first),
               left = to - from](std::string& out) mutable {
    for (; left > 0 && k < held.size(); ++k, i = 0)
      if (held[k] && i < held[k]->size()) {
        out.assign(held[k]->bytes(i++));
        --left;
        return true;
      }
    return false;
  };
  if (m_worker)
    m_worker->enqueueLibrary(std::move(next), to - from);
  else if (!m_ready && m_problem.empty())
    m_waitingLibrary.emplace_back(std::move(next), to - from);
}

void TrackAnalysis::follow(library::PathListModel& library, playlist::PlaylistModel& playlist) {
  // The library's rows are appended in the order of its entries.
  QObject::connect(&library, &QAbstractItemModel::rowsInserted, &m_window,
                   [this, &library](const QModelIndex&, int first, int last) {
                     queueLibrary(library.store(), std::size_t(first), std::size_t(last) + 1);
                   });
  QObject::connect(&playlist, &QAbstractItemModel::rowsInserted, &m_window,
                   [this, &playlist](const QModelIndex&, int first, int last) {
                     std::vector<std::string> paths;
                     for (int r = first; r <= last; ++r)
                       paths.push_back(playlist.path(r + 1).toStdString());
                     queue(std::move(paths), tracks::Priority::Playlist);
                   });
}

void TrackAnalysis::trackOpening(int) {
  if (m_worker) m_worker->hold(kHoldWhileOpeningMs);
}

void TrackAnalysis::trackOpened(int deck) {
  const QByteArray path = m_decks.TrackOf(deck).path;
  if (!path.isEmpty()) queue({path.toStdString()}, tracks::Priority::Deck);
}

}  // namespace app
