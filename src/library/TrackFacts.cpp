#include "TrackFacts.h"

#include <algorithm>

namespace library {

TrackFactsStore::Row TrackFactsStore::measuresOf(const TrackFacts& f) {
  Row r{};
  r.durationMs = f.durationMs;
  r.audibleStartMs = f.audibleStartMs;
  r.audibleEndMs = f.audibleEndMs;
  r.bpm = float(f.bpm);
  r.firstBeatMs = f.firstBeatMs;
  r.loudnessLufs = float(f.loudnessLufs);
  r.peakDbfs = float(f.peakDbfs);
  return r;
}

void TrackFactsStore::fill(const Row& r, TrackFacts& f) {
  f.durationMs = r.durationMs;
  f.audibleStartMs = r.audibleStartMs;
  f.audibleEndMs = r.audibleEndMs;
  f.bpm = r.bpm;
  f.firstBeatMs = r.firstBeatMs;
  f.loudnessLufs = r.loudnessLufs;
  f.peakDbfs = r.peakDbfs;
}

std::uint32_t TrackFactsStore::rowOf(std::string_view path) const {
  return m_keys.find(TagIndex::keyOf(path), [this](std::uint32_t row) { return m_rows[row].key; });
}

void TrackFactsStore::reserve(std::size_t rows, std::size_t textBytes) {
  m_rows.reserve(rows);
  m_text.reserve(textBytes);
  m_keys.reserve(rows, [this](std::uint32_t row) { return m_rows[row].key; });
}

void TrackFactsStore::put(std::uint64_t key, std::string_view artist, std::string_view title,
                          std::string_view album, const Row& measures) {
  auto keyOf = [this](std::uint32_t row) { return m_rows[row].key; };
  std::uint32_t row = m_keys.find(key, keyOf);
  if (row == KeyTable::kNone) {
    row = std::uint32_t(m_rows.size());
    m_rows.push_back({});
    m_rows[row].key = key;
    m_keys.add(row, m_rows.size(), keyOf);
  }
  Row& r = m_rows[row];
  const std::uint64_t text = m_text.size();
  const std::uint32_t lengths[3] = {std::uint32_t(artist.size()), std::uint32_t(title.size()),
                                    std::uint32_t(album.size())};
  // Tags seen before stay where they are: a track measured again costs no text.
  const std::string_view was(m_text.data() + r.text,
                             std::size_t(r.lengths[0]) + r.lengths[1] + r.lengths[2]);
  const bool sameTags = lengths[0] == r.lengths[0] && lengths[1] == r.lengths[1] &&
                        lengths[2] == r.lengths[2] && was.substr(0, lengths[0]) == artist &&
                        was.substr(lengths[0], lengths[1]) == title &&
                        was.substr(lengths[0] + lengths[1]) == album;
  const std::uint64_t at = sameTags ? r.text : text;
  if (!sameTags) m_text.append(artist).append(title).append(album);
  r = measures;
  r.key = key;
  r.text = at;
  std::copy(std::begin(lengths), std::end(lengths), r.lengths);
}

void TrackFactsStore::put(std::string_view path, std::string_view artist, std::string_view title,
                          std::string_view album, const TrackFacts& measures) {
  put(TagIndex::keyOf(path), artist, title, album, measuresOf(measures));
}

void TrackFactsStore::put(std::string_view path, const TrackFacts& facts) {
  put(path, facts.artist.toStdString(), facts.title.toStdString(), facts.album.toStdString(),
      facts);
}

std::optional<TrackFacts> TrackFactsStore::measures(std::string_view path) const {
  const std::uint32_t row = rowOf(path);
  if (row == KeyTable::kNone) return std::nullopt;
  TrackFacts f;
  fill(m_rows[row], f);
  return f;
}

std::optional<TrackFacts> TrackFactsStore::find(std::string_view path) const {
  const std::uint32_t row = rowOf(path);
  if (row == KeyTable::kNone) return std::nullopt;
  const Row& r = m_rows[row];
  TrackFacts f;
  fill(r, f);
  const char* t = m_text.data() + r.text;
  f.artist = QString::fromUtf8(t, qsizetype(r.lengths[0]));
  f.title = QString::fromUtf8(t + r.lengths[0], qsizetype(r.lengths[1]));
  f.album = QString::fromUtf8(t + r.lengths[0] + r.lengths[1], qsizetype(r.lengths[2]));
  return f;
}

std::string_view TrackFactsStore::tag(std::string_view path, Tag which) const {
  const std::uint32_t row = rowOf(path);
  if (row == KeyTable::kNone) return {};
  const Row& r = m_rows[row];
  std::uint64_t at = r.text;
  for (int k = 0; k < which; ++k) at += r.lengths[k];
  return std::string_view(m_text).substr(at, r.lengths[which]);
}

void TrackFactsStore::merge(const TrackFactsStore& other) {
  reserve(m_rows.size() + other.m_rows.size(), m_text.size() + other.m_text.size());
  for (const Row& r : other.m_rows) {
    const char* t = other.m_text.data() + r.text;
    put(r.key, std::string_view(t, r.lengths[0]), std::string_view(t + r.lengths[0], r.lengths[1]),
        std::string_view(t + r.lengths[0] + r.lengths[1], r.lengths[2]), r);
  }
}

QString TrackFactsTable::tag(std::string_view path, TrackFactsStore::Tag which) const {
  const std::string_view t = m_store.tag(path, which);
  return QString::fromUtf8(t.data(), qsizetype(t.size()));
}

void TrackFactsTable::set(std::string path, TrackFacts facts) {
  const std::optional<TrackFacts> was = m_store.find(path);
  const bool newTags =
      was ? (was->artist != facts.artist || was->title != facts.title || was->album != facts.album)
          : !(facts.artist.isEmpty() && facts.title.isEmpty() && facts.album.isEmpty());
  const std::string artist = facts.artist.toStdString(), title = facts.title.toStdString(),
                    album = facts.album.toStdString();
  if (newTags && m_tagListener) {
    SearchTexts texts;
    texts.emplace_back(TagIndex::keyOf(path), TagIndex::searchText(artist, title, album));
    m_tagListener(std::move(texts));
  }
  m_store.put(path, artist, title, album, facts);
  for (const auto& listener : m_listeners) listener();
}

void TrackFactsTable::setAll(TrackFactsStore all, SearchTexts texts) {
  if (m_store.empty())
    m_store = std::move(all);
  else
    m_store.merge(all);
  if (!texts.empty() && m_tagListener) m_tagListener(std::move(texts));
  for (const auto& listener : m_listeners) listener();
}

QString TrackFactsTable::shownTime(int ms) {
  if (ms < 0) return {};
  const int s = (ms + 500) / 1000;
  return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString TrackFactsTable::shownBpm(double bpm) {
  return bpm > 0 ? QString::number(bpm, 'f', 1) : QString();
}

QString TrackFactsTable::shownLoudness(double lufs) {
  return std::isfinite(lufs) ? QString::number(lufs, 'f', 1) : QString();
}

float TrackFactsTable::levellingGain(double target, double loudness, double peakDbfs) {
  if (!std::isfinite(loudness) || !std::isfinite(target)) return 1.0f;
  double db = std::min(target - loudness, 12.0);
  if (std::isfinite(peakDbfs) && db > 0) db = std::max(0.0, std::min(db, -1.0 - peakDbfs));
  return float(std::pow(10.0, db / 20.0));
}

}  // namespace library
