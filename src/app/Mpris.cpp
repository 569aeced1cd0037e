#include "Mpris.h"

#include <QDBusMessage>
#include <QMetaObject>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "MprisPlayer.h"
#include "MprisRoot.h"
#include "platform/os/NativePath.h"
#include "playlist/PlaylistPaths.h"
#include "playlist/TrackNames.h"

namespace app {

namespace {
using Playback = audio::DeckActions::Playback;
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
}  // namespace

Mpris::Mpris(audio::DeckActions& decks, playlist::PlaylistActions& playlist, Window window,
             const platform::FileTypeChoice& fileTypes)
    : m_decks(decks),
      m_playlist(playlist),
      m_window(std::move(window)),
      m_fileTypes(fileTypes),
      m_player(new MprisPlayer(this)) {
  new MprisRoot(this);
  m_last = announced();
}

Mpris::~Mpris() = default;

void Mpris::attach(const QDBusConnection& bus) {
  m_bus = bus;
  m_last = announced();
}

void Mpris::Raise() {
  if (m_window.raise) m_window.raise();
}

void Mpris::Quit() {
  // Queued, so that the caller has its answer before the player goes.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (m_window.quit) m_window.quit();
      },
      Qt::QueuedConnection);
}

audio::DeckActions::Track Mpris::selectedTrack() const {
  return m_decks.TrackOf(m_decks.SelectedDeck());
}

void Mpris::Play() {
  const int deck = m_decks.SelectedDeck();
  switch (m_decks.TrackOf(deck).playback) {
    case Playback::Playing:
      break;
    case Playback::Paused:
      m_decks.SetDeckPaused(deck, false);
      break;
    case Playback::Stopped:
      m_decks.PlayDeck(deck);
      break;
    case Playback::Empty:
      // An empty deck takes the playlist's current entry, or its first.
      m_playlist.PlayEntry(std::max(m_playlist.CurrentEntry(), 1));
      break;
  }
  announce();
}

void Mpris::Pause() {
  const int deck = m_decks.SelectedDeck();
  if (m_decks.TrackOf(deck).playback == Playback::Playing) m_decks.SetDeckPaused(deck, true);
  announce();
}

void Mpris::PlayPause() {
  if (selectedTrack().playback == Playback::Playing)
    Pause();
  else
    Play();
}

void Mpris::Stop() {
  const int deck = m_decks.SelectedDeck();
  if (m_decks.TrackOf(deck).playback != Playback::Empty) m_decks.StopDeck(deck);
  announce();
}

void Mpris::Next() {
  if (canGoNext()) m_playlist.Next();
  announce();
}

void Mpris::Previous() {
  if (canGoPrevious()) m_playlist.Previous();
  announce();
}

void Mpris::seekTo(std::int64_t ms) {
  if (m_decks.SeekDeck(m_decks.SelectedDeck(), ms)) emit m_player->Seeked(qlonglong(ms) * 1000);
}

void Mpris::Seek(qint64 offsetUs) {
  if (!canSeek()) return;
  const audio::DeckActions::Track t = selectedTrack();
  const std::int64_t ms = t.positionMs + offsetUs / 1000;
  // Past the end is the next track; before the start is the start.
  if (ms > t.lengthMs)
    Next();
  else
    seekTo(std::max<std::int64_t>(ms, 0));
}

void Mpris::SetPosition(const QDBusObjectPath& track, qint64 positionUs) {
  // A position meant for a track the deck no longer holds is ignored.
  if (!canSeek() || track != trackId(m_decks.SelectedDeck())) return;
  if (positionUs < 0 || positionUs / 1000 > selectedTrack().lengthMs) return;
  seekTo(positionUs / 1000);
}

QStringList Mpris::supportedMimeTypes() const {
  QStringList out;
  for (const char* type : platform::mimeTypes(m_fileTypes.value()))
    out << QString::fromLatin1(type);
  return out;
}

void Mpris::OpenUri(const QString& uri) {
  const QByteArray url = uri.toUtf8();
  if (playlist::urlScheme(url) != "file") return;
  const QByteArray path = playlist::fileUrlToPath(url);
  if (!path.isEmpty() && playlist::isAbsolutePath(path))
    m_playlist.OpenFiles({path}, playlist::PlaylistActions::Start::UnlessPlaying);
  announce();
}

QString Mpris::playbackStatus() const {
  switch (selectedTrack().playback) {
    case Playback::Playing:
      return QStringLiteral("Playing");
    case Playback::Paused:
      return QStringLiteral("Paused");
    case Playback::Empty:
    case Playback::Stopped:
      break;
  }
  return QStringLiteral("Stopped");
}

QDBusObjectPath Mpris::trackId(int deck) const {
  if (deck != 0 && deck != 1) return QDBusObjectPath(QString::fromLatin1(kNoTrack));
  return QDBusObjectPath(QStringLiteral("/org/tornavel/TornaVel/Deck%1/Track%2")
                             .arg(QChar(deck == 0 ? 'A' : 'B'))
                             .arg(m_opened[std::size_t(deck)]));
}

QVariantMap Mpris::metadata() const {
  QVariantMap m;
  const int deck = m_decks.SelectedDeck();
  const audio::DeckActions::Track t = m_decks.TrackOf(deck);
  if (t.playback == Playback::Empty) {
    m[QStringLiteral("mpris:trackid")] =
        QVariant::fromValue(QDBusObjectPath(QString::fromLatin1(kNoTrack)));
    return m;
  }
  m[QStringLiteral("mpris:trackid")] = QVariant::fromValue(trackId(deck));
  // The tags when the track database has a title for the file; its name's split otherwise.
  const std::optional<library::TrackFacts> tags =
      facts ? facts->find(platform::bytesOf(t.path)) : std::nullopt;
  if (tags && !tags->title.isEmpty()) {
    m[QStringLiteral("xesam:title")] = tags->title;
    if (!tags->artist.isEmpty()) m[QStringLiteral("xesam:artist")] = QStringList{tags->artist};
    if (!tags->album.isEmpty()) m[QStringLiteral("xesam:album")] = tags->album;
  } else {
    const playlist::TrackNames names = playlist::TrackNames::of(t.path);
    m[QStringLiteral("xesam:title")] = names.title;
    if (!names.artist.isEmpty()) m[QStringLiteral("xesam:artist")] = QStringList{names.artist};
  }
  if (t.lengthMs > 0) m[QStringLiteral("mpris:length")] = qlonglong(t.lengthMs) * 1000;
  if (playlist::isAbsolutePath(t.path))
    m[QStringLiteral("xesam:url")] = QString::fromLatin1(playlist::pathToFileUrl(t.path));
  return m;
}

double Mpris::volume() const {
  return double(m_decks.MasterLevel());
}

void Mpris::setVolume(double volume) {
  if (!std::isfinite(volume)) return;
  m_decks.SetMasterLevel(float(std::clamp(volume, 0.0, 1.0)));
  announce();
}

qint64 Mpris::position() const {
  return qint64(selectedTrack().positionMs) * 1000;
}

bool Mpris::canPlay() const {
  return selectedTrack().playback != Playback::Empty || m_playlist.EntryCount() > 0;
}

bool Mpris::canPause() const {
  return selectedTrack().playback != Playback::Empty;
}

bool Mpris::canSeek() const {
  const audio::DeckActions::Track t = selectedTrack();
  return (t.playback == Playback::Playing || t.playback == Playback::Paused) && t.lengthMs > 0;
}

bool Mpris::canGoNext() const {
  return m_playlist.CurrentEntry() < m_playlist.EntryCount();
}

bool Mpris::canGoPrevious() const {
  return m_playlist.CurrentEntry() > 1;
}

void Mpris::trackOpened(int deck) {
  if (deck == 0 || deck == 1) ++m_opened[std::size_t(deck)];
  announce();
}

void Mpris::ticked() {
  announce();
}

QVariantMap Mpris::announced() const {
  return {{QStringLiteral("PlaybackStatus"), playbackStatus()},
          {QStringLiteral("Metadata"), metadata()},
          {QStringLiteral("Volume"), volume()},
          {QStringLiteral("CanPlay"), canPlay()},
          {QStringLiteral("CanPause"), canPause()},
          {QStringLiteral("CanSeek"), canSeek()},
          {QStringLiteral("CanGoNext"), canGoNext()},
          {QStringLiteral("CanGoPrevious"), canGoPrevious()}};
}

void Mpris::announce() {
  const QVariantMap now = announced();
  QVariantMap changed;
  for (auto it = now.cbegin(); it != now.cend(); ++it)
    if (m_last.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  m_last = now;
  if (changed.isEmpty()) return;
  if (m_bus) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    m_bus->send(signal);
  }
  if (onPropertiesChanged) onPropertiesChanged(changed);
}

}  // namespace app
