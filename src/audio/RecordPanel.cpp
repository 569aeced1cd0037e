#include "RecordPanel.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

#include "platform/ui/Accessible.h"
#include "skin/Metrics.h"

namespace audio {

using skin::px;
using ui::Builder;

namespace {
const QString kApp = QStringLiteral("TORNAVEL");
const QString kSection = QStringLiteral("RECORD");
constexpr int kRate = 44100;
// In the gap between the two decks, level with their transport rows.
constexpr float kRecLeft = px(450), kRecTop = px(222);
}  // namespace

QString RecordPanel::shownTime(std::uint64_t frames) {
  const std::uint64_t s = frames / kRate;
  return QString::asprintf("%02d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
}

RecordPanel::RecordPanel(AudioEngine& engine, DeckActions& decks, QWidget* window,
                         ui::Builder& build, platform::SettingsStore& settings, NamesOf names)
    : m_engine(engine), m_decks(decks), m_settings(settings), m_names(std::move(names)) {
  BTRec = build.named(Builder::pictureButton(window, kRecLeft, kRecTop, px(60), px(26), "REC"),
                      "BTRec");
  lblRecTime = build.named(Builder::label(window, kRecLeft - px(4), kRecTop + px(30), px(68),
                                          px(18), shownTime(0), 12, ui::darkPalette().dim),
                           "lblRecTime");
  lblRecTime->setAlignment(Qt::AlignCenter);
  ui::describe(*BTRec, ui::AccessibleRole::Toggle, QStringLiteral("Record the mix to a file"));
  ui::describe(*lblRecTime, ui::AccessibleRole::Text, QStringLiteral("Time recorded"));
  BTRec->onClick = [this] { BTRec_Click(); };
  show();
}

RecordPanel::~RecordPanel() {
  if (m_recording) m_engine.System.stopRecording();
}

QString RecordPanel::folder() const {
  const QString chosen = m_settings.GetSetting(kApp, kSection, QStringLiteral("FOLDER"), {});
  if (!chosen.trimmed().isEmpty()) return chosen;
  QString music = qEnvironmentVariable("XDG_MUSIC_DIR");
  if (music.isEmpty()) music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  if (music.isEmpty()) music = QDir::homePath() + QStringLiteral("/Music");
  return music + QStringLiteral("/Recordings");
}

void RecordPanel::BTRec_Click() {
  if (m_recording)
    stop();
  else
    start();
  show();
}

void RecordPanel::start() {
  const bool wav =
      m_settings.GetSetting(kApp, kSection, QStringLiteral("FORMAT"), QStringLiteral("0"))
          .trimmed() == QLatin1String("1");
  const QString dir = folder();
  QDir().mkpath(dir);
  const QString stem =
      dir + '/' + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
  m_path = QFile::encodeName(stem + (wav ? QStringLiteral(".wav") : QStringLiteral(".flac")))
               .toStdString();
  m_cuePath = QFile::encodeName(stem + QStringLiteral(".cue")).toStdString();
  const sound::Result r = m_engine.System.startRecording(
      m_path, wav ? sound::RecordFormat::WavFloat : sound::RecordFormat::Flac24);
  if (r != sound::Result::Ok) {
    if (showError)
      showError(QStringLiteral("The mix cannot be recorded: ") +
                QString::fromStdString(m_engine.System.recordingState().error));
    return;
  }
  m_recording = true;
  m_tracks.clear();
  m_noted = {};
  noteTracks(true);
  writeCue();
}

void RecordPanel::stop() {
  m_engine.System.stopRecording();
  m_recording = false;
  writeCue();
}

void RecordPanel::ticked() {
  if (!m_recording) return;
  const sound::RecordingState s = m_engine.System.recordingState();
  if (!s.active) {
    stop();
    show();
    if (showError && !s.error.empty())
      showError(QStringLiteral("The recording stopped: ") + QString::fromStdString(s.error));
    return;
  }
  noteTracks(false);
  lblRecTime->setCaption(shownTime(s.framesCaptured));
}

// A track starts when a deck plays a file other than the one last listed for it, or plays
// again from its beginning; a pause and its resume are not a start. It is placed where the
// deck's position says it began in the recording, and a recording that starts while decks play
// lists their tracks at its start.
void RecordPanel::noteTracks(bool atStart) {
  const std::uint64_t now = m_engine.System.recordingState().framesCaptured;
  bool added = false;
  for (int k = 0; k < 2; ++k) {
    const DeckActions::Track t = m_decks.TrackOf(k);
    const bool playing = t.playback == DeckActions::Playback::Playing;
    const bool fresh =
        t.path != m_noted[std::size_t(k)] || (!m_wasPlaying[std::size_t(k)] && t.positionMs < 1500);
    m_wasPlaying[std::size_t(k)] = playing || t.playback == DeckActions::Playback::Paused;
    if (!playing || !fresh) continue;
    m_noted[std::size_t(k)] = t.path;
    const double played = double(t.positionMs) / 1000.0 / std::max(t.speed, 0.01) * kRate;
    CueTrack track;
    track.startFrame = atStart ? 0 : now - std::min<std::uint64_t>(now, std::uint64_t(played));
    const auto [performer, title] = m_names(t.path);
    track.performer = performer.toStdString();
    track.title = title.toStdString();
    m_tracks.push_back(std::move(track));
    added = true;
  }
  if (!added) return;
  std::stable_sort(m_tracks.begin(), m_tracks.end(), [](const CueTrack& a, const CueTrack& b) {
    return a.startFrame < b.startFrame;
  });
  if (!atStart) writeCue();
}

void RecordPanel::writeCue() const {
  if (m_cuePath.empty()) return;
  const std::size_t slash = m_path.find_last_of('/');
  const std::string text = cueSheet(m_path.substr(slash + 1), m_tracks, kRate);
  if (std::FILE* f = std::fopen(m_cuePath.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

void RecordPanel::show() {
  const ui::Palette& c = ui::darkPalette();
  BTRec->setBackColor(m_recording ? c.danger : c.button);
  if (!m_recording && m_tracks.empty()) lblRecTime->setCaption(shownTime(0));
}

}  // namespace audio
