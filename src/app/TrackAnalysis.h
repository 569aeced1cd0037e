#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/DeckEngine.h"
#include "audio/DeckEvents.h"
#include "library/PathListModel.h"
#include "library/TrackFacts.h"
#include "playlist/PlaylistModel.h"
#include "tracks/AnalysisWorker.h"
#include "tracks/TrackDatabase.h"

namespace app {

// The track database behind the lists: opened and read on a thread of its own at start (the
// window shows before a large library's rows are in), then filled by the analysis worker
// with every track the decks, the playlist and the library hold, in that order. Each stored
// row comes back to the window thread as a queued call and goes into `facts`, which the lists
// show. A deck that opens a file holds the analysis back for a moment. Off (the setting
// TORNAVEL/LIBRARY/ANALYSE = 0), the database is still read but nothing is measured.
class TrackAnalysis : public audio::DeckEvents {
 public:
  TrackAnalysis(std::string databaseFile, bool measure, library::TrackFactsTable& facts,
                audio::DeckEngine& decks);
  ~TrackAnalysis() override;

  // Follows the rows of the library list and the playlist as they arrive.
  void follow(library::PathListModel& library, playlist::PlaylistModel& playlist);
  // Cancels the measuring and closes the database; at most about 100 ms.
  void shutdown();
  // Why the database could not be used, once the start has tried; empty when it is in use.
  const std::string& problem() const { return m_problem; }
  // The waveform summary of a path's track while its row matches the file; empty when it has
  // none, or before the database is read. One row's read, on the calling thread.
  std::vector<std::uint8_t> waveform(const std::string& path);
  // Told on the window thread of each path whose row was stored, and of what the decks hold
  // once the database has been read (their rows may have been there before).
  std::function<void(const std::string& path)> onStored;

  void trackOpening(int deck) override;
  void trackOpened(int deck) override;

  // What the lists show and the search looks in, made of every row of `db`.
  struct Facts {
    library::TrackFactsStore all;
    library::TrackFactsTable::SearchTexts texts;
  };
  static Facts readFacts(tracks::TrackDatabase& db);

 private:
  void opened(std::string problem, Facts facts);
  void queue(std::vector<std::string> paths, tracks::Priority priority);
  // Entries [from, to) of the library, read by the worker from the library's own blocks.
  void queueLibrary(const library::PathStore& store, std::size_t from, std::size_t to);
  void stored(const tracks::TrackRecord& record);

  std::string m_file;
  bool m_measure;
  library::TrackFactsTable& m_facts;
  audio::DeckEngine& m_decks;
  QObject m_window;  // queued calls from the other threads run on the window thread through it
  std::unique_ptr<tracks::TrackDatabase> m_db = std::make_unique<tracks::TrackDatabase>();
  // Open while results may reach the window; the worker's thread checks it under its mutex.
  struct Gate {
    std::mutex mutex;
    bool open = true;
  };
  std::shared_ptr<Gate> m_gate = std::make_shared<Gate>();
  std::unique_ptr<tracks::AnalysisWorker> m_worker;
  std::thread m_loader;
  std::string m_problem;
  // What was asked for before the database was open.
  std::vector<std::pair<std::vector<std::string>, tracks::Priority>> m_waiting;
  std::vector<std::pair<tracks::AnalysisWorker::PathSource, std::size_t>> m_waitingLibrary;
  bool m_ready = false;
  bool m_closed = false;
};

}  // namespace app
