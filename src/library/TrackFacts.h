#pragma once

#include <QString>
#include <cmath>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
};

// The facts of every file the database knows, by the path's bytes. It lives on the window
// thread: it is filled once at start and then a track at a time as the analysis goes on, and
// the lists read it as they paint. Whoever shows it listens for changes.
class TrackFactsTable {
 public:
  const TrackFacts* find(std::string_view path) const;
  void set(std::string path, TrackFacts facts);
  // Many at once (the whole database at start), with the search texts of those that have
  // tags (made by whoever read them, off the window thread): the listeners are told once,
  // at the end.
  using SearchTexts = std::vector<std::pair<TagIndex::Key, std::string>>;
  void setAll(std::vector<std::pair<std::string, TrackFacts>> all, SearchTexts texts = {});
  std::size_t size() const { return m_facts.size(); }
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
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, TrackFacts, Hash, std::equal_to<>> m_facts;
  std::vector<std::function<void()>> m_listeners;
  std::function<void(SearchTexts)> m_tagListener;
};

}  // namespace library
