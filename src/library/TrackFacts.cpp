#include "TrackFacts.h"

#include <algorithm>

namespace library {

const TrackFacts* TrackFactsTable::find(std::string_view path) const {
  const auto it = m_facts.find(path);
  return it == m_facts.end() ? nullptr : &it->second;
}

void TrackFactsTable::set(std::string path, TrackFacts facts) {
  const auto it = m_facts.find(path);
  const bool newTags =
      it == m_facts.end()
          ? !(facts.artist.isEmpty() && facts.title.isEmpty() && facts.album.isEmpty())
          : (it->second.artist != facts.artist || it->second.title != facts.title ||
             it->second.album != facts.album);
  if (newTags && m_tagListener) {
    SearchTexts texts;
    texts.emplace_back(TagIndex::keyOf(path),
                       TagIndex::searchText(facts.artist.toStdString(), facts.title.toStdString(),
                                            facts.album.toStdString()));
    m_tagListener(std::move(texts));
  }
  m_facts.insert_or_assign(std::move(path), std::move(facts));
  for (const auto& listener : m_listeners) listener();
}

void TrackFactsTable::setAll(std::vector<std::pair<std::string, TrackFacts>> all,
                             SearchTexts texts) {
  m_facts.reserve(m_facts.size() + all.size());
  for (auto& [path, facts] : all) m_facts.insert_or_assign(std::move(path), std::move(facts));
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
