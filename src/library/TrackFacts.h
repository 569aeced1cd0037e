#pragma once

#include <QString>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "KeyTable.h"
#include "TagIndex.h"

namespace library {

// What the track database knows of one file, as the lists show it.
struct TrackFacts {
  QString artist, title, album;
  int durationMs = -1;  // -1: not known
  double bpm = 0;       // 0: no steady beat, or not analysed
  double loudnessLufs = NAN;
  double peakDbfs = NAN;    // the true peak
  int audibleStartMs = -1;  // the first and last points above -60 dBFS; -1: not known
  int audibleEndMs = -1;
  int firstBeatMs = -1;  // where the beat's grid starts; -1: not known (or no steady beat)
};

// Many files' facts, compactly: the tags' UTF-8 bytes one after another in one string, the
// measures in a row a file, the rows found by the hash of the path. A million tracks cost
// about 120 MB, a third of what a map of paths to TrackFacts costs. Made on any thread (the
// database's rows become one at start, off the window thread) and handed over whole.
class TrackFactsStore {
 public:
  enum Tag { Artist, Title, Album };

  // Adds or replaces the facts of `path`: the tags as UTF-8, the measures from `measures`
  // (whose texts are not looked at).
  void put(std::string_view path, std::string_view artist, std::string_view title,
           std::string_view album, const TrackFacts& measures);
  void put(std::string_view path, const TrackFacts& facts);
  std::optional<TrackFacts> find(std::string_view path) const;
  // As find(), without the tags.
  std::optional<TrackFacts> measures(std::string_view path) const;
  // One tag as UTF-8; empty when not known.
  std::string_view tag(std::string_view path, Tag which) const;
  std::size_t size() const { return m_rows.size(); }
  bool empty() const { return m_rows.empty(); }
  void reserve(std::size_t rows, std::size_t textBytes);
  // Takes the other's rows in; its rows win over ours.
  void merge(const TrackFactsStore& other);

 private:
  struct Row {
    std::uint64_t key;
    std::uint64_t text;  // where the artist starts in m_text; title and album follow
    std::uint32_t lengths[3];
    std::int32_t durationMs, audibleStartMs, audibleEndMs, firstBeatMs;
    // A float holds a tempo to a few parts in ten million: less than a millisecond of a
    // beat grid's drift over an hour.
    float bpm, loudnessLufs, peakDbfs;
  };
  std::uint32_t rowOf(std::string_view path) const;
  void put(std::uint64_t key, std::string_view artist, std::string_view title,
           std::string_view album, const Row& measures);
  static Row measuresOf(const TrackFacts& f);
  static void fill(const Row& r, TrackFacts& f);

  std::vector<Row> m_rows;
  std::string m_text;
  KeyTable m_keys;
};

// The facts of every file the database knows, by the path's bytes. It lives on the window
// thread: it is filled once at start and then a track at a time as the analysis goes on, and
// the lists read it as they paint. Whoever shows it listens for changes.
class TrackFactsTable {
 public:
  std::optional<TrackFacts> find(std::string_view path) const { return m_store.find(path); }
  std::optional<TrackFacts> measures(std::string_view path) const { return m_store.measures(path); }
  QString tag(std::string_view path, TrackFactsStore::Tag which) const;
  void set(std::string path, TrackFacts facts);
  // Many at once (the whole database at start), with the search texts of those that have
  // tags (both made by whoever read them, off the window thread): the listeners are told
  // once, at the end.
  using SearchTexts = std::vector<std::pair<TagIndex::Key, std::string>>;
  void setAll(TrackFactsStore all, SearchTexts texts = {});
  std::size_t size() const { return m_store.size(); }
  // Told after each set(); a list repaints its rows then.
  void onChange(std::function<void()> listener) { m_listeners.push_back(std::move(listener)); }
  // Told the search texts of the files whose tags came or changed; the search listens.
  void onTags(std::function<void(SearchTexts)> listener) { m_tagListener = std::move(listener); }

  // A length as the lists show it, "3:07"; empty when not known.
  static QString shownTime(int ms);
  static QString shownBpm(double bpm);
  static QString shownLoudness(double lufs);
  // The gain that brings a track of `loudness` to `target` (both LUFS): never one that lifts
  // its true peak above -1 dBTP, nor more than 12 dB up; 1 when its loudness is not known.
  static float levellingGain(double target, double loudness, double peakDbfs);

 private:
  TrackFactsStore m_store;
  std::vector<std::function<void()>> m_listeners;
  std::function<void(SearchTexts)> m_tagListener;
};

}  // namespace library
